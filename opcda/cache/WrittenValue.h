// What the core makes of a value that a client writes before the item server
// sees it: references resolved, objects refused, and the conversion to the
// item's canonical type refused where it would store some other value.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "com/ComOwners.h"

// A value that holds an object: VT_DISPATCH or VT_UNKNOWN, also as an array
// or by reference, or a variant reference to one. Converting it would call the
// object's IDispatch::Invoke, the client's code, on the server's thread in the
// middle of the write.
bool HoldsObject(const VARIANT& value) noexcept;

// A copy that owns everything it refers to, for a write that runs after its
// call has returned, when the caller's memory is gone: a reference becomes
// the value it points at. A value that holds an object keeps no object: it
// becomes an empty VT_DISPATCH, which a write refuses as it refuses the
// object. Raises EOpcError with the copy's HRESULT when it fails.
UniqueVariant HeldWriteValue(const VARIANT& value);

// value (no reference) converted to type by VariantChangeType. Raises
// EOpcError with:
// - E_INVALIDARG for a date that is none (NaN, infinite, before 1 January
//   100 or past 31 December 9999 23:59:59 once rounded to the second) and for
//   a DECIMAL with a scale above 28 or a sign other than plus and minus,
//   which the platform turns into the text of some other value;
// - the conversion's HRESULT when it fails;
// - DISP_E_TYPEMISMATCH for a byte array of odd length to text (the last
//   byte would be lost) and for a text that comes out empty from a value
//   that was not empty.
UniqueVariant ConvertWrittenValue(const VARIANT& value, VARTYPE type);
