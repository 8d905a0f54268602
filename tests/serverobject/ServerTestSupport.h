// Shared by the server-object tests: an item server with a small catalogue
// and a settable clock, a fixture that connects clients through the class
// factory as COM does, and a sink that counts its references.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "Enumerators.h"
#include "cache/ServerItemList.h"
#include "host/ClientList.h"
#include "FakeItemServer.h"
#include "cache/ItemCache.h"
#include "registration/OpcServerFactory.h"
#include "server/ServerImpl.h"
#include "com/ServerObjectCount.h"
#include "TestValues.h"
#include "opcda.h"

// The fake item server with a settable clock and read quality, plus what
// the client hooks saw of the record.
class TServerTestItemServer : public TFakeItemServer {
public:
    std::optional<FILETIME> clock;     // CurrentTimestamp's answer when set
    std::optional<WORD> readQuality;   // the quality every read reports when set

    bool listedAtConnect = false;
    bool listedAtDisconnect = false;
    DWORD stateAtConnect = 0;
    std::wstring nameAtRename;

    FILETIME CurrentTimestamp() override { return clock ? *clock : TFakeItemServer::CurrentTimestamp(); }
    void ReadItemValue(LONG handle, WORD& quality, VARIANT& value) override
    {
        TFakeItemServer::ReadItemValue(handle, quality, value);
        if (readQuality) quality = *readQuality;
    }

    void ClientConnected(TClientInfo& client) override
    {
        listedAtConnect = Listed(client);
        stateAtConnect = client.ServerState;
        TFakeItemServer::ClientConnected(client);
    }
    void ClientDisconnected(TClientInfo& client) override
    {
        listedAtDisconnect = Listed(client);
        TFakeItemServer::ClientDisconnected(client);
    }
    void ClientRenamed(TClientInfo& client) override
    {
        nameAtRename = client.ClientName;
        TFakeItemServer::ClientRenamed(client);
    }

    bool Listed(const TClientInfo& client)
    {
        const std::vector<TClientInfo*> clients = ClientList().Snapshot();
        return std::find(clients.begin(), clients.end(), &client) != clients.end();
    }
};

// The class object as the process registers it.
inline ComPtr<IClassFactory> MakeServerFactory()
{
    return AdoptRef<IClassFactory>(new TOpcServerFactory(TServerClassInfo{}));
}

// Connects clients through the class factory, as COM does for each client
// that creates the server's class.
class ServerObjectTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* Pressure = L"Float.Chamber Pressure";  // VT_BSTR, read and write
    static constexpr const wchar_t* Rate = L"Float.Rate Measured";         // VT_R8, read and write
    static constexpr const wchar_t* Layer = L"Int.Layer";                  // VT_I4, read only
    static constexpr const wchar_t* Start = L"Remote.Start";               // VT_BSTR, write only
    static constexpr const wchar_t* Operator = L"Text.Operator";           // VT_BSTR, read and write

    ServerObjectTest()
    {
        items.SetVendorInfo(L"Vornhalt Test Server");
        items.AddItem(Operator, MakeBstr(L"anna"));
        items.AddItem(Rate, MakeR8(1.5));
        items.AddItem(Start, MakeBstr(L"0"), OPC_WRITEABLE);
        items.AddItem(Layer, MakeI4(3), OPC_READABLE);
        items.AddItem(Pressure, MakeBstr(L"0.0000025"));
    }
    ~ServerObjectTest() override { items.ItemCache().Clear(); }

    // A new server object, asked for I as a client asks for it.
    template <class I = IOPCServer>
    ComPtr<I> Connect()
    {
        ComPtr<I> server;
        const HRESULT hr = factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(server.GetAddressOf()));
        EXPECT_EQ(hr, S_OK);
        return server;
    }

    // Another interface of the same object; fails the test when refused.
    template <class I>
    static ComPtr<I> As(IUnknown* object)
    {
        ComPtr<I> other;
        EXPECT_EQ(object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(other.GetAddressOf())), S_OK);
        return other;
    }

    // The server object behind a client's interface (same process).
    static TServerImpl& Impl(IOPCServer* server) { return *static_cast<TServerImpl*>(server); }

    TServerTestItemServer items;
    ComPtr<IClassFactory> factory = MakeServerFactory();
};

// An IOPCShutdown sink on the test's stack that counts its references; the
// test holds the first one. Without the shutdown interface it answers
// IUnknown only.
class TCountingSink final : public IOPCShutdown {
public:
    explicit TCountingSink(bool answersShutdown = true) : answersShutdown_(answersShutdown) {}

    ULONG Refs() const { return refs_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && !(answersShutdown_ && riid == __uuidof(IOPCShutdown))) return E_NOINTERFACE;
        *ppv = static_cast<IOPCShutdown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP ShutdownRequest(LPCWSTR) override { return S_OK; }

private:
    bool answersShutdown_;
    std::atomic<ULONG> refs_{1};  // the delivery thread lets go of its references
};

using TNames = std::vector<std::wstring>;

// Frees task-allocated out-parameters when the test ends, whatever it checks.
template <class T>
struct TaskOut {
    T* value = nullptr;
    ~TaskOut() { CoTaskMemFree(value); }
    T** put() { return &value; }
};
