// A test client's view of the groups of a real server: adding groups and
// items, reading, writing and subscribing, with what the server handed out
// freed again.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataCallbackRecorder.h"
#include "MessagePump.h"
#include "ServerProcess.h"
#include "TestValues.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"

// One item's state as SyncIO Read returns it.
struct TReadItem {
    HRESULT error = S_OK;
    OPCHANDLE hClient = 0;
    UniqueVariant value;
    WORD quality = 0;
    FILETIME stamp{};
};

class TClientGroup {
public:
    TClientGroup() = default;
    // Adds a group to server; Result() tells how that went.
    TClientGroup(IOPCServer* server, const wchar_t* name, bool active, DWORD rate, OPCHANDLE clientHandle = 7);

    explicit operator bool() const { return bool(items_); }
    HRESULT Result() const { return result_; }
    OPCHANDLE ServerHandle() const { return serverHandle_; }
    DWORD RevisedRate() const { return revisedRate_; }
    IOPCItemMgt* Items() const { return items_.Get(); }
    template <class I>
    ComPtr<I> As() const
    {
        ComPtr<I> other;
        EXPECT_EQ(items_.As(&other), S_OK);
        return other;
    }
    void Reset() { items_.Reset(); }

    // Adds items (client handles from firstClient up); the server handles, 0
    // for an item that failed. errors receives the per-item results.
    std::vector<OPCHANDLE> Add(const std::vector<std::wstring>& ids, bool active = true,
                               VARTYPE requested = VT_EMPTY, OPCHANDLE firstClient = 1,
                               std::vector<HRESULT>* errors = nullptr, HRESULT* result = nullptr);
    // SyncIO Read; result receives the call's HRESULT.
    std::vector<TReadItem> Read(OPCDATASOURCE source, const std::vector<OPCHANDLE>& handles,
                                HRESULT* result = nullptr);
    // SyncIO Write of texts; the per-item errors.
    std::vector<HRESULT> Write(const std::vector<OPCHANDLE>& handles, const std::vector<std::wstring>& texts,
                               HRESULT* result = nullptr);
    // Per-item errors of an IOPCItemMgt call made through call(errors).
    template <class Call>
    std::vector<HRESULT> Errors(size_t count, Call call, HRESULT* result = nullptr)
    {
        TaskMemArray<HRESULT> errors;
        const HRESULT hr = call(errors.put(count));
        if (result) *result = hr;
        if (!errors.get()) return {};
        return std::vector<HRESULT>(errors.begin(), errors.end());
    }

    // Connects sink to the group's IOPCDataCallback point.
    HRESULT Advise(IUnknown* sink, DWORD* cookie = nullptr);

private:
    ComPtr<IOPCItemMgt> items_;
    HRESULT result_ = E_FAIL;
    OPCHANDLE serverHandle_ = 0;
    DWORD revisedRate_ = 0;
};

// What a call on an object that the server disconnected returns (Wine's
// proxies answer RPC_S_UNKNOWN_IF for a stub that is gone).
inline bool IsDisconnected(HRESULT hr)
{
    return hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF);
}

// Suites whose tests share one COM-started server; each test removes the
// groups it made before the next one starts.
class ServerWithGroups : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A group that the test's end removes with force.
    TClientGroup Group(const wchar_t* name = L"", bool active = true, DWORD rate = 20, OPCHANDLE clientHandle = 7);
    // Writes a text to an item through a group of its own.
    void WriteItem(const std::wstring& itemId, const std::wstring& text);

    static inline ComPtr<IOPCServer> server_;
    std::vector<OPCHANDLE> made_;
};
