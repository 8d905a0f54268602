// The class object of the server's COM class: one serves every client, and
// each CreateInstance makes a new server object.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <string>

#include "com/ComObject.h"
#include "registration/ServerRegistration.h"

// The class object belongs to the process: it does not keep a COM-started
// server running (LockServer does).
class TOpcServerFactory final : public TComObject<IClassFactory> {
public:
    explicit TOpcServerFactory(TServerClassInfo info);

    const TServerClassInfo& ClassInfo() const noexcept { return info_; }
    // Writes or removes the registry entries of the class.
    void UpdateRegistry(bool registerServer) const;

    // The process is ending: every later CreateInstance answers
    // CO_E_SERVER_STOPPING, which makes COM start a new server.
    void RefuseInstances() noexcept { refusing_ = true; }

    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP LockServer(BOOL fLock) noexcept override;

private:
    ~TOpcServerFactory() override = default;

    TServerClassInfo info_;
    std::atomic<long> locks_{0};  // LockServer(TRUE) calls not yet undone
    std::atomic<bool> refusing_{false};
};

// The text of the "VOD Error" box: the message, with a full stop appended
// when its last character sorts after '.'.
std::wstring FactoryErrorText(const std::string& message);

// How CreateInstance shows a failure to the operator: MessageBoxW unless
// replaced. Tests replace it, since a real box would wait for a click.
using TMessageBoxFn = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Installs box (null restores MessageBoxW) and returns the one it replaces.
TMessageBoxFn SetFactoryMessageBox(TMessageBoxFn box) noexcept;
