// Reads and writes of the ZEV-30 items against the item value table. A handle
// addresses its cell directly: handles 1-117 rows 0-116, handle 118 the Edit1
// text, handles 119-132 rows 117-130. Values go out as strings and come in as
// text; the eighteen "Float." measurement items keep a fixed number picture.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "ItemValueTable.h"
#include "NumberPicture.h"

// The number picture a handle's written values are stored in, if it has one.
std::optional<TNumberPicture> ZevNumberPicture(int handle) noexcept;

// A written value as a number: strings through TextToNumber in the given
// separators, every other type by the platform's variant conversion.
// EVariantError when that fails.
double VariantToNumber(const VARIANT& value, const TNumberSeparators& separators);

// Replaces *out (an initialised variant) with the cell's text as VT_BSTR.
// EOpcError(OPC_E_INVALIDHANDLE) for a handle outside 1 to 132, *out untouched.
void ReadZevItemValue(const TItemValueTable& table, int handle, VARIANT* out);

// A number that grows with every change of the handle's cell, for cheap
// polling; nothing for a handle outside 1 to 132.
std::optional<uint64_t> ZevItemVersion(const TItemValueTable& table, int handle) noexcept;

// Stores the value as text in the handle's cell: a pattern item as its
// formatted number, every other item as the value's text unchanged. Raises
// EOpcError(OPC_E_INVALIDHANDLE) for a handle outside 1 to 132 and
// EVariantError for a value that has no number or no text; in both cases
// nothing is stored.
void WriteZevItemValue(TItemValueTable& table, int handle, const VARIANT& value);
