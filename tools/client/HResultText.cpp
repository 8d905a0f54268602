#include "HResultText.h"

#include <olectl.h>

#include <cwchar>

#include "opcerror.h"

namespace {

struct TCodeName {
    HRESULT Code;
    const wchar_t* Name;
};

#define CODE(x)                         \
    {                                   \
        static_cast<HRESULT>(x), L## #x \
    }
constexpr TCodeName kNames[] = {
    CODE(OPC_E_INVALIDHANDLE),
    CODE(OPC_E_BADTYPE),
    CODE(OPC_E_PUBLIC),
    CODE(OPC_E_BADRIGHTS),
    CODE(OPC_E_UNKNOWNITEMID),
    CODE(OPC_E_INVALIDITEMID),
    CODE(OPC_E_INVALIDFILTER),
    CODE(OPC_E_UNKNOWNPATH),
    CODE(OPC_E_RANGE),
    CODE(OPC_E_DUPLICATENAME),
    CODE(OPC_S_UNSUPPORTEDRATE),
    CODE(OPC_S_CLAMP),
    CODE(OPC_S_INUSE),
    CODE(OPC_E_INVALIDCONFIGFILE),
    CODE(OPC_E_NOTFOUND),
    CODE(OPC_E_INVALID_PID),
    CODE(S_FALSE),
    CODE(E_FAIL),
    CODE(E_INVALIDARG),
    CODE(E_NOINTERFACE),
    CODE(E_OUTOFMEMORY),
    CODE(E_NOTIMPL),
    CODE(E_POINTER),
    CODE(E_ACCESSDENIED),
    CODE(E_UNEXPECTED),
    CODE(CONNECT_E_NOCONNECTION),
    CODE(CONNECT_E_ADVISELIMIT),
    CODE(CONNECT_E_CANNOTCONNECT),
    CODE(DV_E_FORMATETC),
    CODE(DV_E_LINDEX),
    CODE(OLE_E_NOCONNECTION),
    CODE(DISP_E_TYPEMISMATCH),
    CODE(DISP_E_OVERFLOW),
    CODE(REGDB_E_CLASSNOTREG),
    CODE(CO_E_CLASSSTRING),
    CODE(CO_E_SERVER_EXEC_FAILURE),
    CODE(CO_E_SERVER_STOPPING),
    CODE(CO_E_OBJNOTCONNECTED),
    CODE(RPC_E_DISCONNECTED),
    CODE(RPC_E_SERVERFAULT),
    CODE(RPC_E_CALL_REJECTED),
    CODE(RPC_E_TIMEOUT),
    CODE(RPC_E_SERVERCALL_RETRYLATER),
    {HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), L"RPC_S_SERVER_UNAVAILABLE"},
    {HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF), L"RPC_S_UNKNOWN_IF"},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"ERROR_FILE_NOT_FOUND"},
    {HRESULT_FROM_WIN32(ERROR_TIMEOUT), L"ERROR_TIMEOUT"},
};
#undef CODE

}  // namespace

std::wstring HexCode(HRESULT hr)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::wstring HResultName(HRESULT hr)
{
    for (const auto& n : kNames)
        if (n.Code == hr) return n.Name;
    return {};
}

std::wstring SystemErrorText(HRESULT hr)
{
    wchar_t* buffer = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring DescribeHResult(HRESULT hr, IOPCServer* server)
{
    std::wstring text;
    if (server) {
        LPWSTR serverText = nullptr;
        if (SUCCEEDED(server->GetErrorString(hr, LOCALE_SYSTEM_DEFAULT, &serverText)) && serverText) text = serverText;
        CoTaskMemFree(serverText);
    }
    if (text.empty()) text = SystemErrorText(hr);
    // Message texts may break their lines; one message is one line here.
    std::wstring oneLine;
    for (wchar_t c : text) {
        const bool blank = c == L' ' || c == L'\r' || c == L'\n' || c == L'\t';
        if (!blank)
            oneLine += c;
        else if (!oneLine.empty() && oneLine.back() != L' ')
            oneLine += L' ';
    }
    while (!oneLine.empty() && oneLine.back() == L' ') oneLine.pop_back();
    text = oneLine;
    if (text.empty()) text = L"unknown error";
    const std::wstring name = HResultName(hr);
    return text + L" [" + (name.empty() ? L"" : name + L" ") + HexCode(hr) + L"]";
}
