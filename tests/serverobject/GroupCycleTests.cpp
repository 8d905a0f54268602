// Groups in the server's own process, where the test controls the item
// server: what the scan reports (quality, deadband, types, arrays, pushed
// values), cancelling before a task runs, sinks that fail or call back in,
// and the lifetimes of groups whose server object goes first.
#include <atomic>
#include <thread>

#include "CallbackWaits.h"
#include "ServerTestSupport.h"
#include "cache/VariantCompare.h"
#include "group/GroupImpl.h"
#include "host/DataFormats.h"

namespace {

using TKind = TCallbackRecord::TKind;

// IEUInfo has no interface identifier: the core only holds it.
class TAnalogEUInfo final : public IEUInfo {
public:
    TAnalogEUInfo(double low, double high) : low_(low), high_(high) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetEUType(LONG* type) override
    {
        *type = EuTypeAnalog;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEUInfo(VARIANT* info) override
    {
        *info = MakeR8Array({low_, high_}).release();
        return S_OK;
    }

private:
    double low_, high_;
    ULONG refs_ = 1;
};

// The test item server with engineering units for some items and a record
// of failed callbacks.
class TCycleItemServer : public TServerTestItemServer {
public:
    std::map<LONG, std::pair<double, double>> analog;  // handle -> EU range
    int callbackFailures = 0;
    HRESULT lastCallbackError = S_OK;

    LONG ResolveItemWithPath(const std::wstring& itemId, std::wstring& accessPath, TAccessRights& rights,
                             ComPtr<IEUInfo>& euInfo, ComPtr<IItemProperties>& properties) override
    {
        const LONG handle = TServerTestItemServer::ResolveItemWithPath(itemId, accessPath, rights, euInfo, properties);
        if (const auto it = analog.find(handle); it != analog.end())
            euInfo = AdoptRef<IEUInfo>(new TAnalogEUInfo(it->second.first, it->second.second));
        return handle;
    }
    void CallbackFailed(HRESULT error, TGroupInfo&, TCallbackKind) override
    {
        ++callbackFailures;
        lastCallbackError = error;
    }
};

class GroupCycle : public ::testing::Test {
protected:
    static constexpr const wchar_t* Text = L"Text";
    static constexpr const wchar_t* Number = L"Number";
    static constexpr const wchar_t* Vector = L"Vector";

    GroupCycle()
    {
        items.AddItem(Text, MakeBstr(L"a"));
        items.AddItem(Number, MakeR8(50.0));
        items.AddItem(Vector, MakeR8Array({1.0, 2.0}));
    }
    ~GroupCycle() override
    {
        sink.Reset();
        server.Reset();
        items.ItemCache().Clear();
        // The delivery threads let their sinks go after the server objects have gone.
        EXPECT_TRUE(PumpUntil([&] { return ServerObjectCount::Value() == objectsBefore; }))
            << "every object of the test is gone";
    }

    // A group of the test's server object, with the callback sink connected.
    ComPtr<IOPCItemMgt> AddGroup(const wchar_t* name, bool active = true, float deadband = 0.0f, DWORD rate = 20)
    {
        OPCHANDLE handle = 0;
        DWORD revised = 0;
        ComPtr<IOPCItemMgt> group;
        EXPECT_EQ(server->AddGroup(name, active, rate, 5, nullptr, &deadband, 0, &handle, &revised, IID_IOPCItemMgt,
                                   reinterpret_cast<IUnknown**>(group.GetAddressOf())),
                  S_OK);
        return group;
    }
    std::vector<OPCHANDLE> Add(IOPCItemMgt* group, std::vector<const wchar_t*> ids, bool active = true,
                               OPCHANDLE firstClient = 100)
    {
        std::vector<OPCITEMDEF> defs(ids.size());
        for (size_t i = 0; i < ids.size(); ++i) {
            defs[i].szItemID = const_cast<wchar_t*>(ids[i]);
            defs[i].bActive = active;
            defs[i].hClient = static_cast<OPCHANDLE>(firstClient + i);
        }
        TaskMemArray<OPCITEMRESULT> results;
        TaskMemArray<HRESULT> errors;
        EXPECT_EQ(group->AddItems(static_cast<DWORD>(ids.size()), defs.data(), results.put(ids.size()),
                                  errors.put(ids.size())),
                  S_OK);
        std::vector<OPCHANDLE> handles;
        for (size_t i = 0; i < ids.size(); ++i) handles.push_back(results[i].hServer);
        return handles;
    }
    void Connect(IOPCItemMgt* group, IOPCDataCallback* sink)
    {
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(As<IConnectionPointContainer>(group)->FindConnectionPoint(IID_IOPCDataCallback,
                                                                            point.GetAddressOf()),
                  S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
    }
    // Connects sink to a group that has no items yet (connecting then sends
    // nothing), adds the items and waits for the scan's one report of them;
    // from then on a data change is a change. The items' handles.
    std::vector<OPCHANDLE> ConnectAndSettle(IOPCItemMgt* group, TDataCallbackRecorder* sink,
                                            std::vector<const wchar_t*> ids)
    {
        Connect(group, static_cast<IOPCDataCallback*>(sink));
        std::vector<OPCHANDLE> handles = Add(group, ids);
        EXPECT_TRUE(WaitForCallback(*sink, TKind::DataChange, Reports(100)));
        sink->records.clear();
        return handles;
    }
    // Pumps until the scan has read the item from the item server again; the
    // tick that read it has then also reported what it found.
    bool WaitForPoll(const wchar_t* id)
    {
        const int before = items.Item(id).reads;
        return PumpUntil([&] { return items.Item(id).reads > before; });
    }
    // A data change that reports the item hClient with a value equal to value.
    const TCallbackRecord* WaitForValue(TDataCallbackRecorder* sink, OPCHANDLE hClient, const VARIANT& value)
    {
        return WaitForCallback(*sink, TKind::DataChange, [&](const TCallbackRecord& r) {
            const TItemUpdate* item = r.Find(hClient);
            return item && ValuesEqual(item->value.get(), value);
        });
    }
    template <class I>
    static ComPtr<I> As(IUnknown* object)
    {
        ComPtr<I> other;
        EXPECT_EQ(object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(other.GetAddressOf())), S_OK);
        return other;
    }

    const long objectsBefore = ServerObjectCount::Value();
    TCycleItemServer items;
    ComPtr<IClassFactory> factory = MakeServerFactory();
    ComPtr<IOPCServer> server = [this] {
        ComPtr<IOPCServer> s;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOPCServer, reinterpret_cast<void**>(s.GetAddressOf())), S_OK);
        return s;
    }();
    ComPtr<TDataCallbackRecorder> sink = MakeComObject<TDataCallbackRecorder>();
};

TEST_F(GroupCycle, AChangeOfQualityAloneIsReportedAndOnlyExactlyGoodCountsAsGood)
{
    items.readQuality = OPC_QUALITY_GOOD;
    ComPtr<IOPCItemMgt> group = AddGroup(L"Q");
    ConnectAndSettle(group.Get(), sink.Get(), {Text});
    items.readQuality = 0xD8;  // good, local override
    const TCallbackRecord* change = WaitForCallback(*sink.Get(), TKind::DataChange, [](const TCallbackRecord& r) {
        return r.Find(100) && r.Find(100)->quality == 0xD8;
    });
    ASSERT_TRUE(change);
    EXPECT_EQ(TextOf(change->items.at(0).value.get()), L"a");
    EXPECT_EQ(change->masterQuality, S_FALSE);
    EXPECT_EQ(change->masterError, S_OK);
}

TEST_F(GroupCycle, TheValueTestComparesTypesAndArrayContents)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"V");
    ConnectAndSettle(group.Get(), sink.Get(), {Number, Vector});

    struct TStep {
        const wchar_t* item;
        OPCHANDLE client;
        UniqueVariant value;
        bool reported;
    };
    TStep steps[] = {
        {Number, 100, MakeR8(50.0), false},
        {Vector, 101, MakeR8Array({1.0, 2.0}), false},  // the same array stored again
        {Vector, 101, MakeR8Array({1.0, 3.0}), true},
        {Vector, 101, MakeR8Array({1.0, 3.0, 0.0}), true},
        {Number, 100, MakeR8(50.5), true},
        {Number, 100, MakeR8(1.0), true},
        {Number, 100, MakeR4(1.0f), true},  // 1.0 as VT_R4 after 1.0 as VT_R8 is another value
    };
    for (TStep& step : steps) {
        SCOPED_TRACE(testing::Message() << step.item << " step " << (&step - steps));
        sink->records.clear();
        items.Item(step.item).value = UniqueVariant::CopyOf(step.value.get());
        if (step.reported) {
            EXPECT_TRUE(WaitForValue(sink.Get(), step.client, step.value.get()));
        } else {
            ASSERT_TRUE(WaitForPoll(step.item));
            EXPECT_TRUE(sink->records.empty());
        }
    }
}

TEST_F(GroupCycle, AnAnalogItemReportsOnlyBeyondTheDeadbandButItsTimeMoves)
{
    items.analog[items.Item(Number).handle] = {0.0, 200.0};
    items.clock = FILETIME{0x10000000, 0x01D00000};
    ComPtr<IOPCItemMgt> group = AddGroup(L"D", true, 10.0f);  // threshold 20
    const std::vector<OPCHANDLE> handles = ConnectAndSettle(group.Get(), sink.Get(), {Number});
    auto cachedStamp = [&] {
        TaskMemArray<OPCITEMSTATE> states;
        TaskMemArray<HRESULT> errors;
        OPCHANDLE h = handles[0];
        EXPECT_EQ(As<IOPCSyncIO>(group.Get())->Read(OPC_DS_CACHE, 1, &h, states.put(1), errors.put(1)), S_OK);
        return states[0].ftTimeStamp;
    };
    const FILETIME later{0x20000000, 0x01D00000};
    items.clock = later;
    items.Item(Number).value = MakeR8(65.0);
    ASSERT_TRUE(WaitForPoll(Number));
    EXPECT_TRUE(sink->records.empty()) << "15 is within 20";
    const FILETIME moved = cachedStamp();
    EXPECT_EQ(CompareFileTime(&moved, &later), 0) << "the time stamp still advances";
    items.Item(Number).value = MakeR8(71.0);
    EXPECT_TRUE(WaitForValue(sink.Get(), 100, MakeR8(71.0).get()));
}

TEST_F(GroupCycle, PushedValuesAreReportedWithoutPolling)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"P");
    Connect(group.Get(), sink.Get());
    Add(group.Get(), {Number}, true, 200);  // polled: its ticks show
    items.subscribe = true;
    Add(group.Get(), {Text});
    ASSERT_TRUE(WaitForCallback(*sink.Get(), TKind::DataChange, Reports(100)));
    const int readsBefore = items.Item(Text).reads;
    const LONG handle = items.Item(Text).handle;
    std::thread pusher([&] { items.callbacks.at(handle)(MakeBstr(L"pushed").get(), OPC_QUALITY_GOOD); });
    pusher.join();
    EXPECT_TRUE(WaitForDataChange(*sink.Get(), 100, L"pushed"));
    // A later tick polls the other item and would have polled this one too.
    ASSERT_TRUE(WaitForPoll(Number));
    EXPECT_EQ(items.Item(Text).reads, readsBefore) << "a pushed item is not polled";
}

TEST_F(GroupCycle, ATaskCancelledOrOrphanedBeforeItRunsCompletesNothing)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"C");
    std::vector<OPCHANDLE> handles = ConnectAndSettle(group.Get(), sink.Get(), {Text});
    ComPtr<IOPCAsyncIO2> io = As<IOPCAsyncIO2>(group.Get());
    DWORD cancel = 0;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(io->Read(1, handles.data(), 1, &cancel, errors.put(1)), S_OK);
    EXPECT_EQ(io->Cancel2(cancel), S_OK);
    EXPECT_EQ(io->Cancel2(cancel), E_FAIL);
    ASSERT_EQ(io->Read(1, handles.data(), 2, &cancel, errors.put(1)), S_OK);
    OPCHANDLE serverHandle = static_cast<TGroupImpl*>(static_cast<IOPCItemMgt*>(group.Get()))->ServerHandle();
    io.Reset();
    group.Reset();
    ASSERT_EQ(server->RemoveGroup(serverHandle, FALSE), S_OK);
    PumpMessages();  // both tasks were queued: their messages are handled now
    EXPECT_EQ(sink->Count(TKind::ReadComplete), 0u);
}

TEST_F(GroupCycle, ASinkWhoseClientIsGoneIsDroppedAndTheItemServerTold)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"Gone");
    ConnectAndSettle(group.Get(), sink.Get(), {Text});
    sink->answer = RPC_E_DISCONNECTED;
    items.Item(Text).value = MakeBstr(L"b");
    ASSERT_TRUE(WaitForDataChange(*sink.Get(), 100, L"b"));
    auto* impl = static_cast<TGroupImpl*>(group.Get());
    // The failure reaches the server thread after the call has returned.
    EXPECT_TRUE(PumpUntil([&] { return !impl->HasDataCallback(); }));
    EXPECT_EQ(items.callbackFailures, 1);
    EXPECT_EQ(items.lastCallbackError, RPC_E_DISCONNECTED);
    items.Item(Text).value = MakeBstr(L"c");
    ASSERT_TRUE(WaitForPoll(Text));
    EXPECT_EQ(sink->Count(TKind::DataChange), 1u) << "not called again";

    // Any other answer is not examined.
    auto other = MakeComObject<TDataCallbackRecorder>();
    other->answer = E_FAIL;
    Connect(group.Get(), other.Get());
    ASSERT_TRUE(WaitForDataChange(*other.Get(), 100, L"c"));
    EXPECT_TRUE(impl->HasDataCallback());
}

// A device read refreshes the cache of the group item whose handle it
// names. The item's own group has then seen the value and reports nothing;
// a read through another group (any live handle passes its check) leaves the
// change for the item's own scan to report.
TEST_F(GroupCycle, ADeviceReadHidesAChangeOnlyFromTheGroupThatMadeIt)
{
    ComPtr<IOPCItemMgt> subscriber = AddGroup(L"Subscriber");
    const OPCHANDLE handle = ConnectAndSettle(subscriber.Get(), sink.Get(), {Text})[0];
    ComPtr<IOPCItemMgt> other = AddGroup(L"Other", false);
    struct TCase {
        const char* Name;
        IOPCItemMgt* Reader;
        size_t Reported;
    };
    const TCase cases[] = {{"own group", subscriber.Get(), 0}, {"another group", other.Get(), 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::wstring text = std::wstring(L"read by ") + (c.Reported ? L"another" : L"its own");
        // No tick can come between the change and the read: nothing is pumped.
        items.Item(Text).value = MakeBstr(text);
        OPCHANDLE h = handle;
        TaskMemArray<OPCITEMSTATE> states;
        TaskMemArray<HRESULT> errors;
        ASSERT_EQ(As<IOPCSyncIO>(c.Reader)->Read(OPC_DS_DEVICE, 1, &h, states.put(1), errors.put(1)), S_OK);
        EXPECT_EQ(TextOf(states[0].vDataValue), text);
        VariantClear(&states[0].vDataValue);
        // A marked item is reported without a poll; the poll after it shows the tick has passed.
        ASSERT_TRUE(WaitForPoll(Text));
        EXPECT_EQ(CountCallbacks(*sink.Get(), TKind::DataChange, Reports(100, text)), c.Reported);
    }
}

// A client that removes the group from inside its own data-change callback.
class TRemovingSink final : public TComObject<IOPCDataCallback> {
public:
    TRemovingSink(IOPCServer& server, OPCHANDLE group) : server_(server), group_(group) {}
    int calls = 0;
    HRESULT removed = E_FAIL;
    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                              HRESULT*) noexcept override
    {
        if (calls++ == 0) removed = server_.RemoveGroup(group_, TRUE);
        return S_OK;
    }
    STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                                HRESULT*) noexcept override { return S_OK; }
    STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) noexcept override
    {
        return S_OK;
    }
    STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) noexcept override { return S_OK; }

private:
    IOPCServer& server_;
    OPCHANDLE group_;
};

TEST_F(GroupCycle, AGroupRemovedDuringItsOwnCallbackGoesAfterTheCall)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"Reentrant");
    Add(group.Get(), {Text});
    const OPCHANDLE handle = static_cast<TGroupImpl*>(group.Get())->ServerHandle();
    auto remover = MakeComObject<TRemovingSink>(*server.Get(), handle);
    Connect(group.Get(), remover.Get());
    group.Reset();  // only the core still holds it while it calls out
    ASSERT_TRUE(PumpUntil([&] { return remover->calls >= 1; }));
    PumpMessages();  // anything still queued for the group is handled now
    EXPECT_EQ(remover->removed, S_OK);
    EXPECT_EQ(remover->calls, 1);
    EXPECT_EQ(TGroupImpl::FromHandle(handle), nullptr) << "gone once the call returned";
    EXPECT_EQ(items.HookCalls(TNotifyCode::GroupRemoved), 1);
}

// A client whose QueryInterface, asked for the callback interface, advises
// another sink on the same point: what a second thread of a free-threaded
// client does when its Advise arrives during the first one's call-out.
class TAdvisingSink final : public TComObject<IOPCDataCallback> {
public:
    TAdvisingSink(IConnectionPoint& point, IUnknown& other) : point_(point), other_(other) {}
    HRESULT innerResult = E_PENDING;
    DWORD innerCookie = 77;
    int dataChanges = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override
    {
        if (riid == IID_IOPCDataCallback && innerResult == E_PENDING)
            innerResult = point_.Advise(&other_, &innerCookie);
        return TComObject::QueryInterface(riid, ppv);
    }
    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                              HRESULT*) noexcept override
    {
        ++dataChanges;
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

private:
    IConnectionPoint& point_;
    IUnknown& other_;
};

ULONG ReferencesOf(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST_F(GroupCycle, AnAdviseDuringTheFirstOnesCallOutFindsThePointTaken)
{
    // No tick comes during the test: every data change is a connect-time refresh.
    ComPtr<IOPCItemMgt> group = AddGroup(L"Twice", true, 0.0f, 3600000);
    Add(group.Get(), {Text});
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(As<IConnectionPointContainer>(group.Get())
                  ->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()),
              S_OK);
    const ULONG otherReferences = ReferencesOf(static_cast<IOPCDataCallback*>(sink.Get()));
    auto first = MakeComObject<TAdvisingSink>(*point.Get(), *static_cast<IOPCDataCallback*>(sink.Get()));
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IOPCDataCallback*>(first.Get()), &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    EXPECT_EQ(first->innerResult, CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(first->innerCookie, 0u);
    EXPECT_EQ(ReferencesOf(static_cast<IOPCDataCallback*>(sink.Get())), otherReferences)
        << "the refused sink is not held";

    EXPECT_TRUE(PumpUntil([&] { return first->dataChanges == 1; })) << "one connection, one refresh";
    EXPECT_TRUE(sink->records.empty());
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION) << "there was only one connection";
    // The delivery thread lets the sink go after Unadvise.
    EXPECT_TRUE(PumpUntil([&] { return ReferencesOf(static_cast<IOPCDataCallback*>(first.Get())) == 1u; }));
    EXPECT_EQ(first->dataChanges, 1) << "one connection, one refresh";

    // Free again for the next sink.
    DWORD next = 0;
    EXPECT_EQ(point->Advise(static_cast<IOPCDataCallback*>(sink.Get()), &next), S_OK);
    EXPECT_EQ(point->Unadvise(next), S_OK);
    EXPECT_TRUE(PumpUntil(
        [&] { return ReferencesOf(static_cast<IOPCDataCallback*>(sink.Get())) == otherReferences; }));
}

TEST_F(GroupCycle, GroupsHeldAfterTheirServerObjectUseItsRecordUntilTheyGo)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"Held");
    Add(group.Get(), {Text});
    ComPtr<IEnumOPCItemAttributes> enumerator;
    ASSERT_EQ(group->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                      reinterpret_cast<IUnknown**>(enumerator.GetAddressOf())),
              S_OK);
    auto* impl = static_cast<TGroupImpl*>(group.Get());
    server.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1) << "the client is announced as gone";
    EXPECT_EQ(items.HookCalls(TNotifyCode::GroupRemoved), 0) << "its group lives on in the enumerator";
    EXPECT_TRUE(impl->Removed);
    EXPECT_EQ(impl->Server->ClientName, L"") << "and can still read its server's record";
    group.Reset();
    // The orphaned group's ticks report its new item, then poll it: they find
    // a live server record.
    ASSERT_TRUE(WaitForPoll(Text));
    TaskMemArray<OPCITEMATTRIBUTES> attributes;
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(1, attributes.put(), &fetched), S_OK);
    attributes.set_size(fetched);
    enumerator.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::GroupRemoved), 1);
    EXPECT_EQ(items.HookCalls(TNotifyCode::ItemRemoved), 1);
}

// A DA 1.0 sink in this process whose client is gone: the question that
// follows a block fails as a call to a dead process does. It is free-threaded
// (it marshals as itself), so the delivery thread gets its own answer and not
// the one a proxy makes of it.
class TGoneAdviseSink final : public TComObject<IAdviseSink> {
public:
    TGoneAdviseSink() { CoCreateFreeThreadedMarshaler(static_cast<IAdviseSink*>(this), marshaler_.GetAddressOf()); }
    std::atomic<int> blocks{0};
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override
    {
        if (riid == IID_IUnknown || riid == IID_IAdviseSink) return TComObject::QueryInterface(riid, ppv);
        if (riid == IID_IMarshal && marshaler_) return marshaler_->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return RPC_E_DISCONNECTED;
    }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) noexcept override { ++blocks; }
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) noexcept override {}
    void STDMETHODCALLTYPE OnRename(IMoniker*) noexcept override {}
    void STDMETHODCALLTYPE OnSave() noexcept override {}
    void STDMETHODCALLTYPE OnClose() noexcept override {}

private:
    ComPtr<IUnknown> marshaler_;
};

class GroupCycleDa1 : public GroupCycle {
protected:
    DWORD Advise(IOPCItemMgt* group, IAdviseSink* sink, CLIPFORMAT format)
    {
        FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        DWORD connection = 0;
        EXPECT_EQ(As<IDataObject>(group)->DAdvise(&fe, 0, sink, &connection), S_OK);
        return connection;
    }
    const TOpcClipboardFormats& formats = DataFormats();
    ComPtr<TAdviseSinkRecorder> blocks = MakeComObject<TAdviseSinkRecorder>();
};

TEST_F(GroupCycleDa1, AWriteWhoseItemWentBeforeItRanReportsThatItem)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"W1");
    std::vector<OPCHANDLE> handles = Add(group.Get(), {Text, Number});
    Advise(group.Get(), blocks.Get(), formats.WriteComplete);
    ComPtr<IOPCAsyncIO> io = As<IOPCAsyncIO>(group.Get());
    UniqueVariant values[] = {MakeBstr(L"new"), MakeR8(2.0)};
    VARIANT raw[] = {values[0].get(), values[1].get()};
    DWORD transaction = 0;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(io->Write(2, 2, handles.data(), raw, &transaction, errors.put(2)), S_OK);
    TaskMemArray<HRESULT> removed;
    ASSERT_EQ(group->RemoveItems(1, &handles[1], removed.put(1)), S_OK);
    const TReceivedBlock* completion = WaitForBlock(*blocks.Get(), formats.WriteComplete, [&](const TReceivedBlock& b) {
        return ReadDa1WriteBlock(b.bytes).TransactionId == transaction;
    });
    ASSERT_NE(completion, nullptr);
    const TDa1WriteBlock block = ReadDa1WriteBlock(completion->bytes);
    EXPECT_EQ(block.TransactionId, transaction);
    ASSERT_EQ(block.Count, 2u);
    EXPECT_EQ(block.Items[0].ClientHandle, 100u);
    EXPECT_EQ(block.Items[0].Error, S_OK);
    EXPECT_EQ(block.Items[1].ClientHandle, 0u);
    EXPECT_EQ(block.Items[1].Error, OPC_E_INVALIDHANDLE);
    EXPECT_EQ(block.Status, S_OK);
    EXPECT_EQ(blocks->Count(formats.Data) + blocks->Count(formats.DataTime), 0u);
}

TEST_F(GroupCycleDa1, ArrayValuesAndUnreadableItemsInADataBlock)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"A1");
    std::vector<OPCHANDLE> handles = Add(group.Get(), {Vector, Text});
    Advise(group.Get(), blocks.Get(), formats.DataTime);
    items.Item(Text).failRead = true;
    DWORD transaction = 0;
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(As<IOPCAsyncIO>(group.Get())->Read(1, OPC_DS_DEVICE, 2, handles.data(), &transaction, errors.put(2)),
              S_OK);
    const TReceivedBlock* read = WaitForBlock(*blocks.Get(), formats.DataTime, [&](const TReceivedBlock& b) {
        return ReadDa1DataBlock(b.bytes, true).TransactionId == transaction;
    });
    ASSERT_NE(read, nullptr);
    const TDa1DataBlock block = ReadDa1DataBlock(read->bytes, true);
    EXPECT_EQ(block.Status, S_FALSE);
    const TDa1Value& vector = block.Items.at(0).Value;
    EXPECT_EQ(vector.Type, VT_ARRAY | VT_R8);
    EXPECT_EQ(vector.ElementCount, 2u);
    EXPECT_EQ(vector.Elements.size(), 16u);
    EXPECT_EQ(block.Items.at(1).Quality, 0u) << "an item that could not be read";
    EXPECT_EQ(block.Items[1].Value.Type, VT_NULL);
    EXPECT_EQ(block.Items[1].Stamp, 0u);
    EXPECT_EQ(block.Items[1].ClientHandle, 101u);
}

TEST_F(GroupCycleDa1, ASinkWhoseClientIsGoneIsDroppedAfterItsBlock)
{
    ComPtr<IOPCItemMgt> group = AddGroup(L"G1");
    Add(group.Get(), {Text});
    auto gone = MakeComObject<TGoneAdviseSink>();
    Advise(group.Get(), gone.Get(), formats.Data);
    auto* impl = static_cast<TGroupImpl*>(group.Get());
    // The question after its first block finds the client gone.
    ASSERT_TRUE(PumpUntil([&] { return !impl->HasAdviseSink(0); }));
    EXPECT_EQ(gone->blocks, 1);
    EXPECT_EQ(items.callbackFailures, 1);
    items.Item(Text).value = MakeBstr(L"z");
    ASSERT_TRUE(WaitForPoll(Text));
    EXPECT_EQ(gone->blocks, 1) << "not called again";
}
}  // namespace
