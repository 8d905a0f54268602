#include "client/WireEnvironment.h"
#include "com/ModulePath.h"
#include "com/RegistryKey.h"
#include "com/UniqueHandle.h"
#include "registration/ServerRegistration.h"
#include "WireProtocol.h"
#include "opcda.h"
#include "ProxiedInterfaces.h"

namespace wire {

std::wstring ExePath() { return ModuleFilePath(); }

std::wstring ProxyDllPath() { return ModuleFolder() + L"QuillmereOpcPS.dll"; }

long RunProcess(const std::wstring& commandLine) {
    std::wstring line = commandLine;  // CreateProcessW may write to it
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    TUniqueProcessInformation pi;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi.put())) return -1;
    WaitForSingleObject(pi.process(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.process(), &code);
    return static_cast<long>(code);
}

long RunRegsvr32(bool unregister) {
    return RunProcess(std::wstring(L"regsvr32.exe ") + (unregister ? L"/u " : L"") + L"/s \"" + ProxyDllPath() + L"\"");
}

std::wstring ProxyStubClsidOf(const IID& iid) {
    const std::wstring key = L"Interface\\" + GuidToString(iid) + L"\\ProxyStubClsid32";
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

ClassRegistration::ClassRegistration(const CLSID& clsid) : key_(L"CLSID\\" + GuidToString(clsid)) {
    const std::wstring command = L"\"" + ExePath() + L"\" " + kServerSwitch + L" " + GuidToString(clsid);
    const std::wstring name = L"Quillmere wire test server";
    TRegistryKey server = TRegistryKey::Create(HKEY_CLASSES_ROOT, key_ + L"\\LocalServer32");
    TRegistryKey cls = TRegistryKey::Open(HKEY_CLASSES_ROOT, key_, KEY_WRITE);
    ok_ = server && cls && server.SetString(nullptr, command) == ERROR_SUCCESS &&
          cls.SetString(nullptr, name) == ERROR_SUCCESS;
}

ClassRegistration::~ClassRegistration() { RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str()); }

void WireEnvironment::SetUp() {
    ASSERT_EQ(0, RunRegsvr32(false)) << "regsvr32 failed on " << testing::PrintToString(ProxyDllPath());
    ASSERT_EQ(kProxyClassId, ProxyStubClsidOf(IID_IOPCServer));
    registration_ = std::make_unique<ClassRegistration>(CLSID_WireTestServer);
    ASSERT_TRUE(registration_->ok());
}

void WireEnvironment::TearDown() {
    registration_.reset();
}

}  // namespace wire
