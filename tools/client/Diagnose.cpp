#include "Diagnose.h"

#include "opcda.h"
#include "com/RegistryKey.h"

namespace {

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// The command that writes every key of the server again, the proxies included.
std::wstring RegisterCommand(const std::wstring& exe) { return Quoted(exe) + L" /RegServer"; }

}  // namespace

std::optional<std::wstring> TClassesRoot::Default(const std::wstring& path) const
{
    const TRegistryKey key = TRegistryKey::Open(root_, path);
    if (!key) return std::nullopt;
    DWORD type = 0, bytes = 0;
    std::optional<std::wstring> value;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) ==
            ERROR_SUCCESS) {
            text.resize(bytes / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            if (type == REG_EXPAND_SZ) {
                wchar_t expanded[2048] = {};
                if (ExpandEnvironmentStringsW(text.c_str(), expanded, 2048)) text = expanded;
            }
            value = text;
        }
    }
    return value;
}

bool TClassesRoot::Exists(const std::wstring& path) const { return TRegistryKey::Exists(root_, path); }

const std::vector<TOpcInterface>& OpcInterfaces()
{
    static const std::vector<TOpcInterface> kInterfaces = {
        {L"IOPCServer", __uuidof(IOPCServer)},
        {L"IOPCCommon", __uuidof(IOPCCommon)},
        {L"IOPCItemProperties", __uuidof(IOPCItemProperties)},
        {L"IOPCBrowseServerAddressSpace", __uuidof(IOPCBrowseServerAddressSpace)},
        {L"IOPCGroupStateMgt", __uuidof(IOPCGroupStateMgt)},
        {L"IOPCItemMgt", __uuidof(IOPCItemMgt)},
        {L"IEnumOPCItemAttributes", __uuidof(IEnumOPCItemAttributes)},
        {L"IOPCSyncIO", __uuidof(IOPCSyncIO)},
        {L"IOPCAsyncIO", __uuidof(IOPCAsyncIO)},
        {L"IOPCAsyncIO2", __uuidof(IOPCAsyncIO2)},
        {L"IOPCDataCallback", __uuidof(IOPCDataCallback)},
        {L"IOPCShutdown", __uuidof(IOPCShutdown)},
    };
    return kInterfaces;
}

std::wstring CommandPath(const std::wstring& value)
{
    std::wstring text = value;
    while (!text.empty() && text.front() == L' ') text.erase(0, 1);
    if (!text.empty() && text.front() == L'"') {
        const size_t close = text.find(L'"', 1);
        return text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    if (FileExists(text)) return text;
    // Unquoted arguments after the path ("srvZEV30.exe -Embedding").
    for (size_t blank = text.find(L' '); blank != std::wstring::npos; blank = text.find(L' ', blank + 1))
        if (FileExists(text.substr(0, blank))) return text.substr(0, blank);
    return text;
}

bool FileExists(const std::wstring& path)
{
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<TCheck> CheckRegistration(const TClassesRoot& root, const std::wstring& progId,
                                      const std::wstring& fallbackExe, TRegistrationFacts& facts)
{
    std::vector<TCheck> checks;
    facts = {};

    // Class ID from the ProgID; the rest of the class checks need it.
    TCheck prog{L"ProgID " + progId};
    const auto clsidText = root.Default(progId + L"\\CLSID");
    CLSID clsid{};
    if (!clsidText) {
        prog.Detail = L"HKCR\\" + progId + L"\\CLSID is missing: clients cannot find the server by name";
    } else if (FAILED(CLSIDFromString(clsidText->c_str(), &clsid))) {
        prog.Detail = L"HKCR\\" + progId + L"\\CLSID holds \"" + *clsidText + L"\", which is no class ID";
    } else {
        prog.Ok = true;
        prog.Detail = L"class " + GuidText(clsid);
        facts.ClassId = clsid;
    }
    checks.push_back(prog);

    const std::wstring classKey = facts.ClassId ? L"CLSID\\" + GuidText(clsid) : L"";
    // The executable as registered, if that file exists; else the fallback.
    std::wstring exe = fallbackExe;
    TCheck server{L"LocalServer32"};
    if (facts.ClassId) {
        const auto local = root.Default(classKey + L"\\LocalServer32");
        const std::wstring path = local ? CommandPath(*local) : L"";
        if (!root.Exists(classKey)) {
            server.Detail = L"HKCR\\" + classKey + L" is missing";
        } else if (!local) {
            server.Detail = L"HKCR\\" + classKey + L"\\LocalServer32 is missing: COM cannot start the server";
        } else if (!FileExists(path)) {
            server.Detail = L"points to " + path + L", which does not exist";
        } else {
            server.Ok = true;
            server.Detail = path;
            exe = path;
            facts.ServerExe = path;
        }
    } else {
        server.Detail = L"not checked: no class ID";
    }
    const std::wstring fix = RegisterCommand(exe);
    if (!prog.Ok) checks[0].Fix = fix;
    if (!server.Ok) server.Fix = fix;
    checks.push_back(server);

    auto classCheck = [&](std::wstring name, bool ok, std::wstring okText, std::wstring problem) {
        TCheck check{std::move(name)};
        check.Ok = facts.ClassId && ok;
        check.Detail = !facts.ClassId ? L"not checked: no class ID" : check.Ok ? std::move(okText) : std::move(problem);
        if (!check.Ok) check.Fix = fix;
        checks.push_back(std::move(check));
    };

    const auto backRef = facts.ClassId ? root.Default(classKey + L"\\ProgID") : std::nullopt;
    classCheck(L"ProgID of the class", backRef && _wcsicmp(backRef->c_str(), progId.c_str()) == 0,
               L"the class names " + progId + L" back",
               backRef ? L"the class names \"" + *backRef + L"\" instead of " + progId
                       : L"HKCR\\" + classKey + L"\\ProgID is missing");

    struct TCategory {
        const wchar_t* Name;
        const GUID* Id;
    };
    for (const TCategory& cat : {TCategory{L"OPC DA 1.0 category", &CATID_OPCDAServer10},
                                 TCategory{L"OPC DA 2.0 category", &CATID_OPCDAServer20}}) {
        const std::wstring id = GuidText(*cat.Id);
        const bool implemented = facts.ClassId && root.Exists(classKey + L"\\Implemented Categories\\" + id);
        const bool known = root.Exists(L"Component Categories\\" + id);
        classCheck(cat.Name, implemented && known, id,
                   !implemented ? L"the class does not list " + id + L": OPC browsers do not show the server"
                                : L"HKCR\\Component Categories\\" + id + L" is missing");
    }

    {
        const auto vendor = root.Default(progId + L"\\OPC\\Vendor");
        TCheck check{L"OPC vendor key"};
        check.Ok = vendor && !vendor->empty();
        check.Detail = check.Ok ? *vendor : L"HKCR\\" + progId + L"\\OPC\\Vendor is missing or empty";
        // Registering keeps an existing Opc key as it is, so a half key must go first.
        if (!check.Ok) check.Fix = root.Exists(progId + L"\\OPC") ? Quoted(exe) + L" /UnregServer, then " + fix : fix;
        checks.push_back(std::move(check));
    }

    const std::wstring ownProxy = Folder(exe) + L"QuillmereOpcPS.dll";
    for (const auto& itf : OpcInterfaces()) {
        TCheck check{std::wstring(L"proxy ") + itf.Name};
        const std::wstring key = L"Interface\\" + GuidText(itf.Id);
        const auto stub = root.Default(key + L"\\ProxyStubClsid32");
        const auto dllValue = stub ? root.Default(L"CLSID\\" + *stub + L"\\InprocServer32") : std::nullopt;
        const std::wstring dll = dllValue ? CommandPath(*dllValue) : L"";
        if (!stub) {
            check.Detail =
                L"HKCR\\" + key + L"\\ProxyStubClsid32 is missing: calls of " + itf.Name + L" cannot cross processes";
        } else if (!dllValue) {
            check.Detail = L"the proxy class " + *stub + L" has no InprocServer32 DLL";
        } else if (!FileExists(dll)) {
            check.Detail = L"the proxy DLL " + dll + L" does not exist";
        } else {
            check.Ok = true;
            check.Detail = dll;
            if (_wcsicmp(FileName(dll).c_str(), L"QuillmereOpcPS.dll") != 0)
                check.Detail += L" (another vendor's proxy DLL)";
        }
        if (!check.Ok) check.Fix = FileExists(ownProxy) ? L"regsvr32 " + Quoted(ownProxy) : fix;
        checks.push_back(std::move(check));
    }
    return checks;
}
