#include "registration/OpcServerFactory.h"

#include "com/ComBoundary.h"
#include "contract/OpcError.h"
#include "server/ServerImpl.h"
#include "com/ServerObjectCount.h"
#include "com/TextUtil.h"

namespace {

std::atomic<TMessageBoxFn> FactoryMessageBox{&MessageBoxW};

}  // namespace

TMessageBoxFn SetFactoryMessageBox(TMessageBoxFn box) noexcept
{
    return FactoryMessageBox.exchange(box != nullptr ? box : &MessageBoxW);
}

TOpcServerFactory::TOpcServerFactory(TServerClassInfo info)
    : TComObject(TProcessLifetime::Independent), info_(std::move(info))
{
}

void TOpcServerFactory::UpdateRegistry(bool registerServer) const
{
    if (registerServer)
        RegisterServerClass(info_);
    else
        UnregisterServerClass(info_);
}

std::wstring FactoryErrorText(const std::string& message)
{
    std::wstring text = AnsiToWide(message);
    if (!text.empty() && text.back() > L'.') text.push_back(L'.');
    return text;
}

STDMETHODIMP TOpcServerFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, ppv);
    *ppv = nullptr;
    // Server objects cannot be aggregated.
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (refusing_) return CO_E_SERVER_STOPPING;
    ComPtr<TServerImpl> server;
    try {
        server = TServerImpl::Create();
    } catch (const std::exception& e) {
        const std::wstring text = FactoryErrorText(e.what());
        FactoryMessageBox.load()(nullptr, text.c_str(), L"VOD Error", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
        return E_UNEXPECTED;
    } catch (...) {
        return E_UNEXPECTED;
    }
    // Releasing our reference destroys the object when the query gave none.
    return server->QueryInterface(riid, ppv);
}

STDMETHODIMP TOpcServerFactory::LockServer(BOOL fLock) noexcept
{
    if (fLock) {
        ++locks_;
        ServerObjectCount::Increment();
        return S_OK;
    }
    // An unlock without a lock of its own must not take away the count of
    // other clients' objects, which could end the process under them.
    long held = locks_.load();
    while (held > 0)
        if (locks_.compare_exchange_weak(held, held - 1)) {
            ServerObjectCount::Decrement();
            break;
        }
    return S_OK;
}
