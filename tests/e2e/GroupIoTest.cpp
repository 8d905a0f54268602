// Reading, writing and subscribing through groups of the real server: the
// cache and the device, the DA 2.0 asynchronous calls with their completions,
// and the data changes of the update cycle.
#include <olectl.h>

#include <atomic>
#include <functional>

#include "CallbackWaits.h"
#include "GroupClient.h"
#include "ValueObject.h"
#include "com/TextUtil.h"

namespace {

using Io = ServerWithGroups;
using TKind = TCallbackRecord::TKind;

const std::wstring kPressure = L"Float.Chamber Pressure";
const std::wstring kRate = L"Float.Rate Measured (A/s)";
const std::wstring kLayer = L"Number.Layer Number";
const std::wstring kPlant = L"String.Coating Plant Name";

TEST_F(Io, CacheReadsOfInactiveItemsAreOutOfServiceWhileDeviceReadsAreFresh)
{
    WriteItem(kPlant, L"Before");
    TClientGroup group = Group(L"", true);
    const std::vector<OPCHANDLE> handles = group.Add({kPlant, kLayer}, true);
    OPCHANDLE first = handles[0];
    ASSERT_EQ(group.Errors(1, [&](HRESULT** e) { return group.Items()->SetActiveState(1, &first, FALSE, e); }),
              (std::vector<HRESULT>{S_OK}));
    WriteItem(kPlant, L"After");

    const std::vector<TReadItem> cached = group.Read(OPC_DS_CACHE, handles);
    EXPECT_EQ(TextOf(cached[0].value.get()), L"Before") << "the cache keeps the value of its last read";
    EXPECT_EQ(cached[0].quality, OPC_QUALITY_OUT_OF_SERVICE);
    EXPECT_EQ(cached[0].hClient, 1u);
    EXPECT_EQ(cached[1].quality, OPC_QUALITY_GOOD);

    const std::vector<TReadItem> device = group.Read(OPC_DS_DEVICE, handles);
    EXPECT_EQ(TextOf(device[0].value.get()), L"After");
    EXPECT_EQ(device[0].quality, OPC_QUALITY_GOOD);
    EXPECT_GT(CompareFileTime(&device[0].stamp, &cached[0].stamp), 0);
    EXPECT_EQ(TextOf(group.Read(OPC_DS_CACHE, handles)[0].value.get()), L"After") << "a device read fills the cache";

    HRESULT hr = S_OK;
    group.Read(static_cast<OPCDATASOURCE>(3), handles, &hr);
    EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(Io, WritesStoreTheFormattedTextAndFailPerItem)
{
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kPressure, kPlant});
    HRESULT hr = S_OK;
    EXPECT_EQ(group.Write({handles[0], 0x12345678, handles[1]}, {L"abc", L"1", L"Plant North"}, &hr),
              (std::vector<HRESULT>{OPC_E_BADTYPE, OPC_E_INVALIDHANDLE, S_OK}));
    EXPECT_EQ(hr, S_FALSE);
    ASSERT_EQ(group.Write({handles[0]}, {L"0.0000025"}), (std::vector<HRESULT>{S_OK}));
    const std::vector<TReadItem> read = group.Read(OPC_DS_DEVICE, handles);
    EXPECT_EQ(TextOf(read[0].value.get()), L"0.0000025");
    EXPECT_EQ(TextOf(read[1].value.get()), L"Plant North");
}

// What the table keeps of a written text: the text in the system's ANSI code
// page, read back in wide characters.
std::wstring ThroughCodePage(const std::wstring& text) { return AnsiToWide(WideToAnsi(text)); }

TEST_F(Io, TextsOfAnyLengthAndContentComeBackAsStoredAndLeaveTheOtherItemsAlone)
{
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kPlant, kLayer});
    ASSERT_EQ(group.Write({handles[1]}, {L"7"}), (std::vector<HRESULT>{S_OK}));
    const std::wstring texts[] = {
        L"",
        std::wstring(1 << 20, L'x'),                 // a megabyte of text
        std::wstring(L"before\0after", 12),          // a NUL inside the string
        L"Schicht \u00e4\u00f6\u00fc \u03a9 \u2713",  // letters the code page may lack
        L"line one\r\nline two\ttab",
    };
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::Message() << "text of " << text.size() << " characters");
        ASSERT_EQ(group.Write({handles[0]}, {text}), (std::vector<HRESULT>{S_OK}));
        for (OPCDATASOURCE source : {OPC_DS_DEVICE, OPC_DS_CACHE}) {
            const std::vector<TReadItem> read = group.Read(source, handles);
            EXPECT_EQ(TextOf(read[0].value.get()), ThroughCodePage(text)) << "source " << source;
            EXPECT_EQ(read[0].quality, OPC_QUALITY_GOOD);
            EXPECT_EQ(TextOf(read[1].value.get()), L"7");
        }
    }
}

// Values without a text are refused per item and change nothing; values that
// hold an object are refused without a call into the object (the server's
// thread would run the client's code in the middle of the write).
TEST_F(Io, ValuesWithoutTextAreRefusedAndObjectsAreNeverCalled)
{
    TClientGroup group = Group();
    const std::vector<OPCHANDLE> handles = group.Add({kPlant, kPressure});
    ASSERT_EQ(group.Write(handles, {L"kept", L"0.0000025"}), (std::vector<HRESULT>{S_OK, S_OK}));
    auto object = MakeComObject<TValueObject>();
    IDispatch* objectRef = object.Get();
    UniqueVariant inner;
    V_VT(inner.put()) = VT_DISPATCH;
    V_DISPATCH(&inner.get()) = object.Get();
    object->AddRef();

    struct TCase {
        const char* Name;
        std::function<void(VARIANT&)> Fill;
    };
    const TCase cases[] = {
        {"null", [](VARIANT& v) { V_VT(&v) = VT_NULL; }},
        {"error", [](VARIANT& v) { V_VT(&v) = VT_ERROR; V_ERROR(&v) = E_FAIL; }},
        {"array", [](VARIANT& v) { V_VT(&v) = VT_ARRAY | VT_I4; V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 3); }},
        {"dispatch", [&](VARIANT& v) { V_VT(&v) = VT_DISPATCH; V_DISPATCH(&v) = object.Get(); object->AddRef(); }},
        {"unknown", [&](VARIANT& v) { V_VT(&v) = VT_UNKNOWN; V_UNKNOWN(&v) = object.Get(); object->AddRef(); }},
        {"dispatch by reference", [&](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_DISPATCH; V_DISPATCHREF(&v) = &objectRef; }},
        {"variant by reference", [&](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_VARIANT; V_VARIANTREF(&v) = &inner.get(); }},
    };
    ComPtr<IOPCSyncIO> io = group.As<IOPCSyncIO>();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        UniqueVariant value;
        c.Fill(*value.put());
        for (OPCHANDLE handle : handles) {
            VARIANT shallow = value.get();
            TaskMemArray<HRESULT> errors;
            EXPECT_EQ(io->Write(1, &handle, &shallow, errors.put(1)), S_FALSE);
            ASSERT_TRUE(errors.get());
            EXPECT_EQ(errors[0], DISP_E_TYPEMISMATCH);
        }
        const std::vector<TReadItem> read = group.Read(OPC_DS_DEVICE, handles);
        EXPECT_EQ(TextOf(read[0].value.get()), L"kept");
        EXPECT_EQ(TextOf(read[1].value.get()), L"0.0000025");
    }
    EXPECT_EQ(object->Invoked.load(), 0);
}

TEST_F(Io, AsynchronousCallsNeedACallbackAndReportEveryItemInTheirCompletion)
{
    TClientGroup group = Group(L"Async", true, 1000, 99);
    const std::vector<OPCHANDLE> handles = group.Add({kPlant, kLayer}, true, VT_EMPTY, 21);
    ComPtr<IOPCAsyncIO2> io = group.As<IOPCAsyncIO2>();
    OPCHANDLE three[] = {handles[0], 0xBADBAD, handles[1]};
    DWORD cancel = 0;
    TaskMemArray<HRESULT> errors;
    EXPECT_EQ(io->Read(3, three, 5, &cancel, errors.put(3)), CONNECT_E_NOCONNECTION);

    auto sink = MakeComObject<TDataCallbackRecorder>();
    ASSERT_EQ(group.Advise(sink.Get()), S_OK);
    const TCallbackRecord* connected = WaitForCallback(*sink.Get(), TKind::DataChange, Reports(21));
    ASSERT_TRUE(connected) << "connecting brings the current values";
    EXPECT_EQ(connected->transactionId, 0u);
    EXPECT_EQ(connected->items.size(), 2u);

    EXPECT_EQ(io->Read(3, three, 5, &cancel, errors.put(3)), S_OK);
    EXPECT_EQ(errors.get(), nullptr) << "no error array unless the item server asks for one";
    EXPECT_NE(cancel, 0u);
    const TCallbackRecord* completed = WaitForTransaction(*sink.Get(), TKind::ReadComplete, 5);
    ASSERT_TRUE(completed);
    const TCallbackRecord& read = *completed;
    EXPECT_EQ(read.transactionId, 5u);
    EXPECT_EQ(read.hGroup, 99u);
    EXPECT_EQ(read.masterQuality, S_OK);
    EXPECT_EQ(read.masterError, S_FALSE);
    ASSERT_EQ(read.items.size(), 3u);
    EXPECT_EQ(read.items[0].hClient, 21u);
    EXPECT_EQ(read.items[0].error, S_OK);
    EXPECT_EQ(read.items[1].hClient, 0u);
    EXPECT_EQ(read.items[1].error, OPC_E_INVALIDHANDLE);
    EXPECT_EQ(read.items[2].hClient, 22u);

    UniqueVariant values[] = {MakeBstr(L"Async Plant"), MakeBstr(L"7")};
    VARIANT raw[] = {values[0].get(), values[1].get()};
    OPCHANDLE two[] = {handles[0], 0xBADBAD};
    EXPECT_EQ(io->Write(2, two, raw, 6, &cancel, errors.put(2)), S_OK);
    const TCallbackRecord* writeCompleted = WaitForTransaction(*sink.Get(), TKind::WriteComplete, 6);
    ASSERT_TRUE(writeCompleted);
    const TCallbackRecord& written = *writeCompleted;
    EXPECT_EQ(written.masterError, S_FALSE);
    EXPECT_EQ(written.items.at(0).error, S_OK);
    EXPECT_EQ(written.items.at(1).error, OPC_E_INVALIDHANDLE);
    EXPECT_EQ(TextOf(group.Read(OPC_DS_DEVICE, {handles[0]})[0].value.get()), L"Async Plant");
}

TEST_F(Io, OnlyPendingTasksCanBeCancelled)
{
    TClientGroup group = Group(L"Cancel", true, 5000);
    const std::vector<OPCHANDLE> handles = group.Add({kPlant});
    auto sink = MakeComObject<TDataCallbackRecorder>();
    ASSERT_EQ(group.Advise(sink.Get()), S_OK);
    ComPtr<IOPCAsyncIO2> io = group.As<IOPCAsyncIO2>();
    // A task runs as soon as the call that queued it has returned, before the
    // client's next call arrives: cancelling in time is for clients in the
    // server's own process. Out here a finished or unknown task is refused.
    DWORD cancel = 0;
    ASSERT_EQ(io->Refresh2(OPC_DS_CACHE, 2, &cancel), S_OK);
    ASSERT_TRUE(WaitForTransaction(*sink.Get(), TKind::DataChange, 2));
    EXPECT_EQ(io->Cancel2(cancel), E_FAIL);
    EXPECT_EQ(io->Cancel2(0x7777), E_FAIL);
}

TEST_F(Io, RefreshNeedsAnActiveGroupWithActiveItems)
{
    auto sink = MakeComObject<TDataCallbackRecorder>();
    TClientGroup idle = Group(L"Idle", false);
    idle.Add({kPlant});
    ASSERT_EQ(idle.Advise(sink.Get()), S_OK);
    TClientGroup quiet = Group(L"Quiet", true);
    quiet.Add({kPlant}, false);
    ASSERT_EQ(quiet.Advise(sink.Get()), S_OK);
    DWORD cancel = 1;
    EXPECT_EQ(idle.As<IOPCAsyncIO2>()->Refresh2(OPC_DS_CACHE, 1, &cancel), E_FAIL);
    EXPECT_EQ(quiet.As<IOPCAsyncIO2>()->Refresh2(OPC_DS_DEVICE, 1, &cancel), E_FAIL);
    EXPECT_EQ(cancel, 0u);
    EXPECT_EQ(quiet.As<IOPCAsyncIO2>()->Refresh2(static_cast<OPCDATASOURCE>(0), 1, &cancel), E_INVALIDARG);
    // The server runs queued work in order: a read queued now completes after
    // anything that connecting queued.
    OPCHANDLE item = quiet.Add({kLayer}, false)[0];
    TaskMemArray<HRESULT> errors;
    ASSERT_EQ(quiet.As<IOPCAsyncIO2>()->Read(1, &item, 3, &cancel, errors.put(1)), S_OK);
    ASSERT_TRUE(WaitForTransaction(*sink.Get(), TKind::ReadComplete, 3));
    EXPECT_EQ(sink->Count(TKind::DataChange), 0u) << "nothing to send at connecting either";
}

TEST_F(Io, TheScanReportsEachChangeOnceAndOnlyForActiveGroups)
{
    WriteItem(kPlant, L"Before the change");
    auto active = MakeComObject<TDataCallbackRecorder>();
    auto waiting = MakeComObject<TDataCallbackRecorder>();
    TClientGroup first = Group(L"First", true, 20, 1);
    TClientGroup second = Group(L"Second", false, 20, 2);
    const std::vector<OPCHANDLE> handles = first.Add({kPlant, kLayer});
    second.Add({kPlant});
    ASSERT_EQ(first.Advise(active.Get()), S_OK);
    ASSERT_EQ(second.Advise(waiting.Get()), S_OK);
    const TCallbackRecord* connected = WaitForCallback(*active.Get(), TKind::DataChange, Reports(1));
    ASSERT_TRUE(connected);
    EXPECT_EQ(connected->transactionId, 0u);
    EXPECT_EQ(connected->items.size(), 2u) << "connecting reports every active item";

    WriteItem(kPlant, L"Changed");
    const TCallbackRecord* change = WaitForDataChange(*active.Get(), 1, L"Changed");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->items.size(), 1u);
    EXPECT_EQ(change->hGroup, 1u);
    // A later change of the other item comes with a later tick: had the first
    // one been reported again, it would have been by then.
    const std::wstring layer = TextOf(first.Read(OPC_DS_CACHE, {handles[1]})[0].value.get()) == L"3" ? L"4" : L"3";
    WriteItem(kLayer, layer);
    const TCallbackRecord* later = WaitForDataChange(*active.Get(), 2, layer);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->Find(1), nullptr) << "an unchanged item is not reported";
    EXPECT_EQ(CountCallbacks(*active.Get(), TKind::DataChange, Reports(1, L"Changed")), 1u);
    EXPECT_TRUE(waiting->records.empty()) << "an inactive group reports nothing";

    BOOL on = TRUE;
    DWORD revised = 0;  // an output the proxy always needs
    ASSERT_EQ(second.As<IOPCGroupStateMgt>()->SetState(nullptr, &revised, &on, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(WaitForDataChange(*waiting.Get(), 1, L"Changed")) << "activation reports every item";

    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(first.As<IConnectionPointContainer>()->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf()),
              S_OK);
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(waiting.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
}

TEST_F(Io, DisabledGroupsSendNoScanButStillAnswerRefresh)
{
    WriteItem(kLayer, L"40");
    auto sink = MakeComObject<TDataCallbackRecorder>();
    TClientGroup group = Group(L"Disabled", true, 20);
    const std::vector<OPCHANDLE> handles = group.Add({kLayer});
    ASSERT_EQ(group.Advise(sink.Get()), S_OK);
    ASSERT_TRUE(WaitForDataChange(*sink.Get(), 1, L"40"));
    ComPtr<IOPCAsyncIO2> io = group.As<IOPCAsyncIO2>();
    ASSERT_EQ(io->SetEnable(FALSE), S_OK);
    BOOL enabled = TRUE;
    EXPECT_EQ(io->GetEnable(&enabled), S_OK);
    EXPECT_FALSE(enabled);
    WriteItem(kLayer, L"41");
    // The scan of the disabled group still keeps its cache current.
    EXPECT_TRUE(PumpUntil([&] { return TextOf(group.Read(OPC_DS_CACHE, handles)[0].value.get()) == L"41"; }));
    DWORD cancel = 0;
    ASSERT_EQ(io->Refresh2(OPC_DS_CACHE, 8, &cancel), S_OK);
    const TCallbackRecord* refreshed = WaitForTransaction(*sink.Get(), TKind::DataChange, 8);
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(TextOf(refreshed->items.at(0).value.get()), L"41");
    // The scan that read 41 called out, if at all, before the refresh ran.
    EXPECT_EQ(CountCallbacks(*sink.Get(), TKind::DataChange, Reports(1, L"41")), 1u)
        << "the scan sends nothing while disabled";
}

// A client that reads another client's item from the device, through that
// client's handle, refreshes the cache of the other client's group item; the
// change it brings in is still the subscriber's to receive.
TEST_F(Io, ADeviceReadThroughAnotherClientsHandleLeavesItsSubscriberEveryChange)
{
    const std::wstring material = L"String.Remote Layer Material";
    WriteItem(material, L"No material yet");
    auto sink = MakeComObject<TDataCallbackRecorder>();
    TClientGroup subscriber = Group(L"Subscriber", true, 100);
    const OPCHANDLE subscribed = subscriber.Add({material})[0];
    ASSERT_NE(subscribed, 0u);
    ASSERT_EQ(subscriber.Advise(sink.Get()), S_OK);
    ASSERT_TRUE(WaitForDataChange(*sink.Get(), 1, L"No material yet"));

    // The other client, with a callback and a DA 1.0 sink for its completions.
    ComPtr<IOPCServer> other = ConnectServer();
    ASSERT_TRUE(other);
    TClientGroup reader(other.Get(), L"Reader", true, 100);
    const OPCHANDLE own = reader.Add({material})[0];
    auto readerSink = MakeComObject<TDataCallbackRecorder>();
    ASSERT_EQ(reader.Advise(readerSink.Get()), S_OK);
    auto blocks = MakeComObject<TAdviseSinkRecorder>();
    const CLIPFORMAT withTime = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATATIME"));
    FORMATETC format{withTime, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    DWORD connection = 0;
    ASSERT_EQ(reader.As<IDataObject>()->DAdvise(&format, 0, blocks.Get(), &connection), S_OK);
    ComPtr<IOPCAsyncIO2> async2 = reader.As<IOPCAsyncIO2>();
    ComPtr<IOPCAsyncIO> async1 = reader.As<IOPCAsyncIO>();

    DWORD transaction = 100;
    struct TCase {
        const wchar_t* Name;
        std::function<void(const std::wstring&)> ReadDevice;  // reads the subscriber's handle, checks the value
    };
    const TCase cases[] = {
        {L"IOPCSyncIO",
         [&](const std::wstring& text) {
             EXPECT_EQ(TextOf(reader.Read(OPC_DS_DEVICE, {subscribed})[0].value.get()), text);
         }},
        {L"IOPCAsyncIO2",
         [&](const std::wstring& text) {
             OPCHANDLE handle = subscribed;
             DWORD cancel = 0;
             TaskMemArray<HRESULT> errors;
             ASSERT_EQ(async2->Read(1, &handle, ++transaction, &cancel, errors.put(1)), S_OK);
             const TCallbackRecord* done = WaitForTransaction(*readerSink.Get(), TKind::ReadComplete, transaction);
             ASSERT_TRUE(done);
             EXPECT_EQ(TextOf(done->items.at(0).value.get()), text);
         }},
        {L"IOPCAsyncIO",
         [&](const std::wstring& text) {
             OPCHANDLE handle = subscribed;
             DWORD id = 0;
             TaskMemArray<HRESULT> errors;
             ASSERT_EQ(async1->Read(connection, OPC_DS_DEVICE, 1, &handle, &id, errors.put(1)), S_OK);
             const TReceivedBlock* done = WaitForBlock(*blocks.Get(), withTime, [&](const TReceivedBlock& block) {
                 return ReadDa1DataBlock(block.bytes, true).TransactionId == id;
             });
             ASSERT_TRUE(done);
             EXPECT_EQ(ReadDa1DataBlock(done->bytes, true).Items.at(0).Value.Text, text);
         }},
    };
    for (const TCase& c : cases) {
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(testing::Message() << c.Name << ", change " << i);
            const std::wstring text = L"Material " + std::to_wstring(i) + L" " + c.Name;
            ASSERT_EQ(reader.Write({own}, {text}), (std::vector<HRESULT>{S_OK}));
            c.ReadDevice(text);
            if (!WaitForDataChange(*sink.Get(), 1, text)) {
                ADD_FAILURE() << "the subscriber never received the change";
                break;  // one time-out per kind of read is enough to tell
            }
        }
    }
    async1.Reset();
    async2.Reset();
    reader.Reset();
    other.Reset();
}

}  // namespace
