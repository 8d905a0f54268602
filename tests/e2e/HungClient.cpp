#include "HungClient.h"

#include "CallbackWaits.h"
#include "DeadClient.h"
#include "GroupClient.h"
#include "com/UniqueHandle.h"

namespace {

// Signals the test at the first data change and then hangs in the call
// (hangInCallback) until the test releases it.
class THangingSink final : public TComObject<IOPCDataCallback> {
public:
    explicit THangingSink(bool hangInCallback) : hangInCallback_(hangInCallback) {}
    TDataCallbackRecorder* recorder = nullptr;

    STDMETHODIMP OnDataChange(DWORD transaction, OPCHANDLE group, HRESULT quality, HRESULT error, DWORD count,
                              OPCHANDLE* handles, VARIANT* values, WORD* qualities, FILETIME* stamps,
                              HRESULT* errors) noexcept override
    {
        recorder->OnDataChange(transaction, group, quality, error, count, handles, values, qualities, stamps, errors);
        if (hangInCallback_ && !hung_) {
            hung_ = true;
            Signal(kHungEvent);
            WaitForRelease();
        }
        return S_OK;
    }
    STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                                HRESULT*) noexcept override
    {
        return S_OK;
    }
    STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) noexcept override
    {
        return S_OK;
    }
    STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) noexcept override { return S_OK; }

    static void Signal(const wchar_t* name)
    {
        if (const TUniqueEvent event{OpenEventW(EVENT_MODIFY_STATE, FALSE, name)}) SetEvent(event.get());
    }
    // Blocks the thread, pumping nothing, until the test sets the release event.
    static void WaitForRelease()
    {
        if (const TUniqueEvent event{OpenEventW(SYNCHRONIZE, FALSE, kReleaseHungEvent)})
            WaitForSingleObject(event.get(), INFINITE);
    }

private:
    bool hangInCallback_;
    bool hung_ = false;
};

// A shutdown sink, as real clients advise one: the server must let go of it
// without waiting on this hung client.
class TQuietShutdownSink final : public TComObject<IOPCShutdown> {
public:
    STDMETHODIMP ShutdownRequest(LPCWSTR) noexcept override { return S_OK; }
};

}  // namespace

int RunHungClient(bool hangInCallback)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    ComPtr<IOPCServer> server = ConnectServer();
    if (!server) return 3;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> shutdownPoint;
    DWORD shutdownCookie = 0;
    auto shutdownSink = MakeComObject<TQuietShutdownSink>();
    if (FAILED(server.As(&container)) ||
        FAILED(container->FindConnectionPoint(IID_IOPCShutdown, shutdownPoint.GetAddressOf())) ||
        FAILED(shutdownPoint->Advise(shutdownSink.Get(), &shutdownCookie)))
        return 7;
    TClientGroup group(server.Get(), L"Hanging", true, 20);
    if (!group || group.Add({kSubscribedItem})[0] == 0) return 4;
    auto recorder = MakeComObject<TDataCallbackRecorder>();
    auto sink = MakeComObject<THangingSink>(hangInCallback);
    sink->recorder = recorder.Get();
    if (FAILED(group.Advise(static_cast<IOPCDataCallback*>(sink.Get())))) return 5;
    if (!WaitForCallback(*recorder.Get(), TCallbackRecord::TKind::DataChange, Reports(1))) return 6;
    if (!hangInCallback) {
        // Alive, but no call from the server gets in.
        THangingSink::Signal(kHungEvent);
        THangingSink::WaitForRelease();
    }
    // Released: delivery goes on with the newest value.
    return WaitForDataChange(*recorder.Get(), 1, kNewestValue) ? 0 : 8;
}
