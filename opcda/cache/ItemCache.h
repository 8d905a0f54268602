// Operations on the item server's cache of server items, and the reads and
// writes of an item that go through it. Each raises
// EOpcServer("OPCSERV: No item server") when there is no item server.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

#include "com/ComOwners.h"
#include "cache/ServerItem.h"

class TGroupItemInfo;
class TServerItemList;

// A group item is created: the shared item for itemId, with groupItem as one
// more user. Raises what the resolution raises.
TServerItem* AcquireServerItem(TServerItemList& cache, TGroupItemInfo& groupItem, const std::wstring& itemId);
// The same on the item cache of the process's item server.
TServerItem* AcquireServerItem(TGroupItemInfo& groupItem, const std::wstring& itemId);

// A group item is destroyed: it stops using item; the last user destroys the
// item (UnsubscribeItem, ReleaseItemHandle). Never raises.
void ReleaseServerItem(TServerItem& item, TGroupItemInfo& groupItem) noexcept;

// For item-property calls: the cached item if the ID is in use (neither
// resolved nor released again), otherwise a standalone reference resolved now
// whose handle is given back when the result goes out of scope.
TServerItemRefPtr LookupItemRef(TServerItemList& cache, const std::wstring& itemId);
// The same on the item cache of the process's item server.
TServerItemRefPtr LookupItemRef(const std::wstring& itemId);

// Reads the item in its canonical type, quality preset to good. Raises
// EOpcError(OPC_E_BADRIGHTS) when the item is not readable.
void ReadServerItem(TServerItemRef& item, UniqueVariant& value, WORD& quality);

// Writes value, converted to the canonical type first when its type differs;
// a value by reference as the value it points at. Raises EOpcError:
// OPC_E_BADRIGHTS when the item is not writeable; DISP_E_TYPEMISMATCH for a
// value that holds an object (never converted); what HeldWriteValue raises
// for a reference and ConvertWrittenValue for the conversion (WrittenValue.h,
// among them values the conversion would show as another); OPC_E_BADTYPE when the
// conversion or WriteItemValue raises a conversion error (EVariantError, or
// the standard library's std::invalid_argument and std::out_of_range, which is
// what its text-to-number conversions raise). EOpcError from the item server
// passes unchanged; other exceptions pass as they are.
void WriteServerItem(TServerItemRef& item, const VARIANT& value);
