// The server calls back into the client: IOPCDataCallback::OnDataChange with
// arrays of VARIANTs, qualities and FILETIMEs arrives in the client's sink
// while the client pumps messages.
#include "WireProtocol.h"
#include "DataCallbackRecorder.h"
#include "client/WireFixture.h"
#include <olectl.h>

namespace wire {
namespace {

class NotASink final : public TComObject<IDispatch> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override {
        return E_NOTIMPL;
    }
};

TEST_F(WireTest, DataChangesArriveInTheClientSinkWhileItPumpsMessages) {
    OPCHANDLE groupHandle = 0;
    auto group = AddGroup(L"subscribed", true, 50, 4711, &groupHandle);
    const auto handles = AddTestItems(As<IOPCItemMgt>(group).Get());
    ASSERT_EQ(4u, handles.size());

    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, As<IConnectionPointContainer>(group)->FindConnectionPoint(IID_IOPCDataCallback, &point));
    IID pointIid{};
    EXPECT_EQ(S_OK, point->GetConnectionInterface(&pointIid));
    EXPECT_EQ(IID_IOPCDataCallback, pointIid);
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, [&] {
        DWORD ignored = 0;
        return point->Advise(MakeComObject<NotASink>().Get(), &ignored);
    }());

    auto sink = MakeComObject<TDataCallbackRecorder>();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(sink.Get(), &cookie));
    ASSERT_TRUE(PumpUntil([&] { return !sink->records.empty(); }, 10000)) << "no OnDataChange arrived";

    const TCallbackRecord& first = sink->records.front();
    EXPECT_EQ(4711u, first.hGroup);
    EXPECT_EQ(S_OK, first.masterQuality);
    ASSERT_EQ(4u, first.items.size());
    for (DWORD i = 0; i < 4; ++i) {
        EXPECT_EQ(i + 1, first.items[i].hClient);
        EXPECT_EQ(OPC_QUALITY_GOOD, first.items[i].quality);
        EXPECT_EQ(S_OK, first.items[i].error);
    }
    EXPECT_EQ(42, first.items[0].value.get().lVal);
    EXPECT_EQ(L"Gr\u00FC\u00DFe, \u03A9 \u2126", TextOf(first.items[1].value.get()));
    EXPECT_EQ((std::vector<double>{1.5, -2.25, 1e300}), DoublesOf(first.items[2].value.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"", L"gamma"}), StringsOf(first.items[3].value.get()));
    EXPECT_EQ(0x01D5C036u, first.items[0].stamp.dwHighDateTime);
    EXPECT_EQ(0x69F8C000u + 10000000u, first.items[1].stamp.dwLowDateTime);

    // A value written by this client comes back through the callback.
    UniqueVariant text = MakeBstr(L"changed");
    OPCHANDLE target = handles[1];
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(S_OK, As<IOPCSyncIO>(group)->Write(1, &target, &text.get(), errors.put(1)));
    ASSERT_TRUE(PumpUntil([&] { return TextOf(sink->records.back().items[1].value.get()) == L"changed"; }, 10000));

    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
    const size_t seen = sink->records.size();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(seen, sink->records.size()) << "callbacks continued after Unadvise";
}

class ShutdownSink final : public TComObject<IOPCShutdown> {
public:
    STDMETHODIMP ShutdownRequest(LPCWSTR szReason) noexcept override {
        reasons.push_back(szReason ? szReason : L"<null>");
        return S_OK;
    }
    std::vector<std::wstring> reasons;
};

TEST_F(WireTest, ShutdownRequestReachesTheClientWithItsReason) {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_HRESULT_SUCCEEDED(server()->QueryInterface(IID_PPV_ARGS(&container)));
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(IID_IOPCShutdown, &point));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, [&] {
        ComPtr<IConnectionPoint> none;
        return container->FindConnectionPoint(IID_IOPCDataCallback, &none);
    }());
    // The container lists its one point through an enumerator of interfaces.
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    ComPtr<IConnectionPoint> listed;
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, points->Next(1, &listed, &fetched));
    EXPECT_EQ(1u, fetched);
    IID listedIid{};
    EXPECT_EQ(S_OK, listed->GetConnectionInterface(&listedIid));
    EXPECT_EQ(IID_IOPCShutdown, listedIid);

    auto sink = MakeComObject<ShutdownSink>();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(sink.Get(), &cookie));
    ASSERT_TRUE(PumpUntil([&] { return !sink->reasons.empty(); }, 10000)) << "no ShutdownRequest arrived";
    EXPECT_EQ(std::vector<std::wstring>{L"Wartung \u2013 maintenance"}, sink->reasons);
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
}

}  // namespace
}  // namespace wire
