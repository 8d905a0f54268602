#include "InfoText.h"

#include <cwchar>

#include "DateText.h"
#include "com/TextUtil.h"

namespace {

constexpr wchar_t kSep[] = L"\n\r";

std::wstring YesNo(bool b) { return b ? L"Yes" : L"No"; }

std::wstring Hex8(DWORD v)
{
    wchar_t buffer[16];
    swprintf(buffer, 16, L"%08X", static_cast<unsigned>(v));
    return buffer;
}

}  // namespace

std::wstring VarTypeName(VARTYPE type)
{
    switch (type) {
    case VT_EMPTY:
        return L"Empty";
    case VT_NULL:
        return L"Null";
    case VT_I2:
        return L"Smallint";
    case VT_I4:
        return L"Integer";
    case VT_R4:
        return L"Single";
    case VT_R8:
        return L"Double";
    case VT_CY:
        return L"Currency";
    case VT_DATE:
        return L"Date";
    case VT_BSTR:
        return L"OleStr";
    case VT_DISPATCH:
        return L"Dispatch";
    case VT_ERROR:
        return L"Error";
    case VT_BOOL:
        return L"Boolean";
    case VT_VARIANT:
        return L"Variant";
    case VT_UI1:
        return L"Byte";
    default: {
        wchar_t buffer[40];
        swprintf(buffer, 40, L"Unknown type (%X)", static_cast<unsigned>(type));
        return buffer;
    }
    }
}

std::wstring AccessRightsText(DWORD rights)
{
    std::wstring text;
    if (rights & 1) text = L"Read";
    if (rights & 2) text += text.empty() ? L"Write" : L",Write";
    return text;
}

std::wstring ClientInfoText(const TClientInfoFacts& client)
{
    // The name is shown as 8-bit text: characters outside the ANSI code page become its replacement.
    const std::wstring name = client.Name.empty() ? std::wstring(L"(no name)") : AnsiToWide(WideToAnsi(client.Name));
    return L"Name: " + name + kSep + L"Last update: " + LongTimeText(client.LastUpdate) + kSep + L"State: " +
           std::to_wstring(client.State);
}

std::wstring GroupInfoText(const TGroupInfoFacts& g)
{
    return L"Name: " + g.Name + kSep + L"Public: " + YesNo(g.Public) + kSep + L"Active: " + YesNo(g.Active) + kSep +
           L"Update rate: " + std::to_wstring(g.UpdateRate) + kSep + L"ClientHandle: $" + Hex8(g.ClientHandle) + kSep +
           L"Enabled: " + YesNo(g.Enabled) + kSep + L"ItemCount: " + std::to_wstring(g.ItemCount) + kSep +
           L"Connections" + kSep + L" - DA2: " + YesNo(g.DataCallback) + kSep + L" - DA1 (Data): " +
           YesNo(g.AdviseSinks[0]) + kSep + L" - DA1 (Datatime): " + YesNo(g.AdviseSinks[1]) + kSep +
           L" - DA1 (WriteComplete): " + YesNo(g.AdviseSinks[2]);
}

std::wstring ItemInfoText(const TItemInfoFacts& i)
{
    return L"ItemID: " + i.ItemId + kSep + L"ItemHandle: " + Hex8(i.ItemHandle) + kSep + L"Client Handle: " +
           Hex8(i.ClientHandle) + kSep + L"Active: " + YesNo(i.Active) + kSep + L"Requested Type: " +
           VarTypeName(i.RequestedType) + kSep + L"Native Type: " + VarTypeName(i.CanonicalType) + kSep +
           L"Last Update Time: " + LongTimeOfDateText(i.LastUpdate) + kSep + L"Access Rights: " +
           AccessRightsText(i.AccessRights);
}
