#include "host/OpcMessages.h"

#include <iterator>

#include "contract/OpcError.h"
#include "host/OpcMessageIds.h"

namespace {

struct TMessageEntry {
    HRESULT code;
    UINT stringId;
};

constexpr TMessageEntry MessageTable[] = {
    {OPC_E_INVALIDHANDLE, IDS_OPC_E_INVALIDHANDLE},
    {OPC_E_BADTYPE, IDS_OPC_E_BADTYPE},
    {OPC_E_PUBLIC, IDS_OPC_E_PUBLIC},
    {OPC_E_BADRIGHTS, IDS_OPC_E_BADRIGHTS},
    {OPC_E_UNKNOWNITEMID, IDS_OPC_E_UNKNOWNITEMID},
    {OPC_E_INVALIDITEMID, IDS_OPC_E_INVALIDITEMID},
    {OPC_E_INVALIDFILTER, IDS_OPC_E_INVALIDFILTER},
    {OPC_E_UNKNOWNPATH, IDS_OPC_E_UNKNOWNPATH},
    {OPC_E_RANGE, IDS_OPC_E_RANGE},
    {OPC_E_DUPLICATENAME, IDS_OPC_E_DUPLICATENAME},
    {OPC_S_UNSUPPORTEDRATE, IDS_OPC_S_UNSUPPORTEDRATE},
    {OPC_S_CLAMP, IDS_OPC_S_CLAMP},
    {OPC_S_INUSE, IDS_OPC_S_INUSE},
    {OPC_E_INVALIDCONFIGFILE, IDS_OPC_E_INVALIDCONFIGFILE},
    {OPC_E_NOTFOUND, IDS_OPC_E_NOTFOUND},
    {OPC_E_INVALID_PID, IDS_OPC_E_INVALID_PID},
};

}  // namespace

std::optional<std::wstring> OpcMessageText(HRESULT code)
{
    for (const TMessageEntry& entry : MessageTable) {
        if (entry.code != code) continue;
        // A zero buffer length makes LoadStringW return a pointer into the resource.
        const wchar_t* text = nullptr;
        const int length = LoadStringW(GetModuleHandleW(nullptr), entry.stringId, reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || text == nullptr) return std::nullopt;
        return std::wstring(text, static_cast<size_t>(length));
    }
    return std::nullopt;
}

std::wstring DefaultErrorText(HRESULT code, DWORD languageId)
{
    if (auto own = OpcMessageText(code)) return *own;

    // Inserts are ignored: a system message with %1 and no arguments must not
    // make FormatMessage read arguments that were never passed.
    wchar_t buffer[256];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), languageId & 0xFFFF, buffer,
                                        static_cast<DWORD>(std::size(buffer)), nullptr);
    if (length == 0) RaiseOpcError(E_INVALIDARG);
    return std::wstring(buffer, length);
}
