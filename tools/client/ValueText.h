// Values, qualities, time stamps and types as the client prints them.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

// A value as text: strings as they are, numbers and dates by the system's
// conversion, arrays as "[a, b]", empty as "".
std::wstring VariantText(const VARIANT& value);
// "VT_BSTR", "VT_R8", "VT_ARRAY|VT_R8" ...
std::wstring VarTypeName(VARTYPE type);
// "good", "bad", "uncertain", with the sub-status where it has a name, then
// the limit bits: "good", "bad (not connected)", "good (local override)".
std::wstring QualityText(WORD quality);
// A UTC time stamp in local time: "2024-05-01 14:03:07.125"; "" for zero.
std::wstring TimeStampText(const FILETIME& stamp);
// "read", "write", "read/write", "none".
std::wstring AccessRightsText(DWORD rights);
// An OLE date (days since 30 December 1899) like a time stamp.
std::wstring OleDateText(double date);
