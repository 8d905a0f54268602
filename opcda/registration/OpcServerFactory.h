// The class object of the server's COM class: one serves every client, and
// each CreateInstance makes a new server object.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <string>

#include "registration/ServerRegistration.h"

class TOpcServerFactory final : public IClassFactory {
public:
    explicit TOpcServerFactory(TServerClassInfo info);

    const TServerClassInfo& ClassInfo() const noexcept { return info_; }
    // Writes or removes the registry entries of the class.
    void UpdateRegistry(bool registerServer) const;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // The process is ending: every later CreateInstance answers
    // CO_E_SERVER_STOPPING, which makes COM start a new server.
    void RefuseInstances() noexcept { refusing_ = true; }

    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP LockServer(BOOL fLock) noexcept override;

private:
    ~TOpcServerFactory() = default;

    TServerClassInfo info_;
    std::atomic<ULONG> refs_{1};
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
