#include "registration/ComServer.h"

#include "contract/OpcError.h"
#include "com/ModulePath.h"
#include "com/ServerObjectCount.h"
#include "registration/ProxyDlls.h"

TComServer& TComServer::Instance()
{
    static TComServer server;
    return server;
}

TComServer::TComServer() : startMode_(ParseStartMode(ProgramArguments())) {}

std::wstring TComServer::ExePath() const { return ModuleFilePath(); }

std::wstring TComServer::ServerName() const
{
    std::wstring name = ModuleFilePath();
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

void TComServer::AddFactory(ComPtr<TOpcServerFactory> factory) { factories_.push_back(std::move(factory)); }

void TComServer::UpdateRegistry(bool registerServer)
{
    const std::wstring exe = ExePath();
    // The class keys first: a missing proxy DLL must not keep them from being written.
    for (const auto& f : factories_) f->UpdateRegistry(registerServer);
    UpdateProxyRegistration(exe, registerServer);
    // Only 32-bit clients need the 32-bit proxy: it is (un)registered by an
    // explicit /RegServer or /UnregServer, as an installer runs them, and not
    // on every start, which would start regsvr32 each time.
    if (startMode_ == TStartMode::Register || startMode_ == TStartMode::Unregister)
        UpdateProxyRegistration32(exe, registerServer);
}

bool TComServer::Start()
{
    mainThreadId_ = GetCurrentThreadId();
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RaiseIfFailed(hr);
    comInitialized_ = true;

    try {
        UpdateRegistry(startMode_ != TStartMode::Unregister);
    } catch (...) {
        if (startMode_ == TStartMode::Register) throw;
    }
    if (startMode_ == TStartMode::Register || startMode_ == TStartMode::Unregister) return false;

    ServerObjectCount::SetZeroNotifier([this] { OnLastObjectReleased(); });
    RegisterClassObjects();
    return true;
}

void TComServer::RegisterClassObjects()
{
    for (const auto& f : factories_) {
        DWORD cookie = 0;
        const HRESULT hr = CoRegisterClassObject(f->ClassInfo().ClassId, static_cast<IClassFactory*>(f.Get()),
                                                 CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie);
        RaiseIfFailed(hr);
        cookies_.push_back(cookie);
    }
    const HRESULT hr = CoResumeClassObjects();
    RaiseIfFailed(hr);
}

void TComServer::OnLastObjectReleased()
{
    // Only a process that COM started ends with its last client.
    if (startMode_ != TStartMode::Automation) return;
    // From here on no activation may reach this process: a client that
    // connects again at once must get a new server, not one that is ending.
    // Windows' CoReleaseServerProcess would suspend the class objects at this
    // point; Wine's only counts, so they are revoked here, and a factory
    // reference that a client obtained earlier refuses to create.
    for (const auto& f : factories_) f->RefuseInstances();
    RevokeClassObjects();
    PostThreadMessageW(mainThreadId_, WM_QUIT, 0, 0);
}

void TComServer::RevokeClassObjects() noexcept
{
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
    cookies_.clear();
}

void TComServer::Stop() noexcept
{
    ServerObjectCount::SetZeroNotifier({});
    RevokeClassObjects();
    factories_.clear();
    if (comInitialized_) {
        CoUninitialize();
        comInitialized_ = false;
    }
}
