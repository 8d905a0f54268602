// Groups of the real server as clients create, name, change, clone, enumerate
// and remove them.
#include <olectl.h>

#include "ConnectedServer.h"
#include "Enumerators.h"
#include "GroupClient.h"

namespace {

using Lifecycle = ServerWithGroups;

// DA 3.0 interfaces that clients probe for; this server does not offer them.
const IID kIOPCBrowse = {0x39227004, 0xA18F, 0x4B57, {0x8B, 0x0A, 0x52, 0x35, 0x67, 0x0F, 0x44, 0x68}};
const IID kIOPCItemIO = {0x85C0B427, 0x2893, 0x4CBC, {0xBD, 0x78, 0xE5, 0xFC, 0x51, 0x46, 0xF0, 0x8F}};
const IID kIOPCItemDeadbandMgt = {0x5946DA93, 0x8B39, 0x4EC8, {0xAB, 0x3D, 0xAA, 0x73, 0xDF, 0x5B, 0xC8, 0x6F}};
const IID kIOPCItemSamplingMgt = {0x3E22D313, 0xF08B, 0x41A5, {0x86, 0xC8, 0x95, 0xE9, 0x5C, 0xB4, 0x9F, 0xFC}};
const IID kIOPCSyncIO2 = {0x730F5F0F, 0x55B1, 0x4C81, {0x9E, 0x18, 0xFF, 0x8A, 0x09, 0x04, 0xE1, 0xFA}};
const IID kIOPCAsyncIO3 = {0x0967B97B, 0x36EF, 0x423E, {0xB6, 0xF8, 0x6B, 0xFF, 0x1E, 0x40, 0xD3, 0x9D}};
const IID kIOPCGroupStateMgt2 = {0x8E368666, 0xD72E, 0x4F78, {0x87, 0xED, 0x64, 0x76, 0x11, 0xC6, 0x1C, 0x9F}};

const std::wstring kPressure = L"Float.Chamber Pressure";
const std::wstring kRate = L"Float.Rate Measured (A/s)";

std::wstring NameOf(const TClientGroup& group)
{
    ComPtr<IOPCGroupStateMgt> state = group.As<IOPCGroupStateMgt>();
    DWORD rate = 0, lcid = 0;
    BOOL active = FALSE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT deadband = 0;
    OPCHANDLE client = 0, server = 0;
    if (FAILED(state->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &server))) return L"<failed>";
    return TakeString(name);
}

TEST_F(Lifecycle, BlankNamesTakeTheLowestFreeNumberAndNamesAreUniqueWithoutRegardToCase)
{
    TClientGroup g0 = Group(L"");
    TClientGroup named = Group(L"  Group2\t");
    TClientGroup g1 = Group(L" ");
    ASSERT_TRUE(g0 && named && g1);
    EXPECT_EQ(NameOf(g0), L"Group0");
    EXPECT_EQ(NameOf(named), L"Group2") << "blanks and control characters around the name go";
    EXPECT_EQ(NameOf(g1), L"Group1");

    TClientGroup pump = Group(L"Pump");
    ASSERT_TRUE(pump);
    TClientGroup again(server_.Get(), L"PUMP", true, 20);
    EXPECT_EQ(again.Result(), OPC_E_DUPLICATENAME);
    EXPECT_FALSE(again);
    EXPECT_EQ(pump.As<IOPCGroupStateMgt>()->SetName(L"pump"), OPC_E_DUPLICATENAME) << "its own name counts";
    EXPECT_EQ(pump.As<IOPCGroupStateMgt>()->SetName(L"   "), E_INVALIDARG);

    ASSERT_EQ(pump.As<IOPCGroupStateMgt>()->SetName(L"Valve"), S_OK);
    ComPtr<IUnknown> found;
    EXPECT_EQ(server_->GetGroupByName(L"valve", IID_IUnknown, found.GetAddressOf()), S_OK);
    EXPECT_EQ(server_->GetGroupByName(L"Pump", IID_IUnknown, found.ReleaseAndGetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(server_->GetGroupByName(L"Valve", kIOPCBrowse, found.ReleaseAndGetAddressOf()), E_NOINTERFACE);
    TClientGroup reuse = Group(L"Pump");
    EXPECT_TRUE(reuse) << "the old name is free again";
}

TEST_F(Lifecycle, RatesBelowTheScanRateAreRaisedAndSaidSo)
{
    struct TCase {
        DWORD requested;
        DWORD granted;
        HRESULT result;
    };
    const TCase cases[] = {{0, 20, OPC_S_UNSUPPORTEDRATE},
                           {5, 20, OPC_S_UNSUPPORTEDRATE},
                           {20, 20, S_OK},
                           {1000, 1000, S_OK},
                           {0xFFFFFFFF, 0xFFFFFFFF, S_OK}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.requested);
        TClientGroup group = Group(L"", true, c.requested);
        EXPECT_EQ(group.Result(), c.result);
        EXPECT_EQ(group.RevisedRate(), c.granted);
        DWORD requested = c.requested, revised = 0;
        EXPECT_EQ(group.As<IOPCGroupStateMgt>()->SetState(&requested, &revised, nullptr, nullptr, nullptr, nullptr,
                                                          nullptr),
                  c.result);
        EXPECT_EQ(revised, c.granted);
    }
}

TEST_F(Lifecycle, SetStateAppliesInOrderAndKeepsWhatWasAppliedBeforeAnError)
{
    TClientGroup group = Group(L"State", false, 1000);
    ASSERT_TRUE(group);
    ComPtr<IOPCGroupStateMgt> state = group.As<IOPCGroupStateMgt>();

    DWORD revised = 0;
    BOOL active = TRUE;
    EXPECT_EQ(state->SetState(nullptr, &revised, &active, nullptr, nullptr, nullptr, nullptr), S_OK)
        << "no rate asked for: nothing to say about it";

    DWORD rate = 250;
    FLOAT deadband = 101.0f;
    OPCHANDLE client = 99;
    EXPECT_EQ(state->SetState(&rate, &revised, nullptr, nullptr, &deadband, nullptr, &client), E_INVALIDARG);
    DWORD nowRate = 0, lcid = 0;
    BOOL nowActive = FALSE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT nowDeadband = -1;
    OPCHANDLE nowClient = 0, serverHandle = 0;
    ASSERT_EQ(state->GetState(&nowRate, &nowActive, &name, &bias, &nowDeadband, &lcid, &nowClient, &serverHandle),
              S_OK);
    TakeString(name);
    EXPECT_EQ(nowRate, 250u) << "the rate before the bad deadband stays";
    EXPECT_TRUE(nowActive);
    EXPECT_EQ(nowDeadband, 0.0f);
    EXPECT_EQ(nowClient, 7u) << "the client handle after the error was not applied";
    EXPECT_EQ(serverHandle, group.ServerHandle());
    // A missing output is refused (the proxy may refuse it before the server sees it).
    const HRESULT missing =
        state->GetState(nullptr, &nowActive, &name, &bias, &nowDeadband, &lcid, &nowClient, &serverHandle);
    EXPECT_TRUE(missing == E_POINTER || missing == HRESULT_FROM_WIN32(RPC_X_NULL_REF_POINTER)) << std::hex << missing;
}

TEST_F(Lifecycle, ARemovedGroupThatIsStillHeldRefusesChangesButStillReads)
{
    HWND window = ServerMainWindow(ServerProcessIds().at(0));
    TClientGroup group(server_.Get(), L"Held", true, 20);
    ASSERT_TRUE(group);
    const std::vector<OPCHANDLE> handles = group.Add({kPressure});
    ASSERT_NE(handles[0], 0u);

    EXPECT_EQ(server_->RemoveGroup(group.ServerHandle(), FALSE), OPC_S_INUSE);
    EXPECT_EQ(server_->RemoveGroup(group.ServerHandle(), FALSE), E_INVALIDARG) << "it left the list at once";
    TClientGroup sameName = Group(L"Held");
    EXPECT_TRUE(sameName) << "and its name is free";

    std::vector<HRESULT> errors;
    HRESULT added = S_OK;
    group.Add({kRate}, true, VT_EMPTY, 1, &errors, &added);
    EXPECT_EQ(added, E_FAIL);
    EXPECT_EQ(group.As<IOPCGroupStateMgt>()->SetName(L"X"), E_FAIL);
    HRESULT read = E_FAIL;
    const std::vector<TReadItem> values = group.Read(OPC_DS_DEVICE, handles, &read);
    EXPECT_EQ(read, S_OK);
    EXPECT_EQ(values[0].quality, OPC_QUALITY_GOOD);

    group.Reset();
    std::vector<std::wstring> log;
    EXPECT_TRUE(PumpUntil([&] {
        return (log = LogLines(window)).size() >= 2 && log[log.size() - 2] == L"Remove Group Held ok";
    })) << "the last release destroys it";
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), L"Remove Item " + kPressure + L" ok");
}

TEST_F(Lifecycle, ForcedRemovalCutsTheClientOff)
{
    TClientGroup group(server_.Get(), L"Forced", true, 20);
    ASSERT_TRUE(group);
    ComPtr<IOPCGroupStateMgt> state = group.As<IOPCGroupStateMgt>();
    EXPECT_EQ(server_->RemoveGroup(group.ServerHandle(), TRUE), S_OK);
    DWORD rate = 100;
    const HRESULT hr = state->SetState(&rate, &rate, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(IsDisconnected(hr)) << std::hex << hr;
}

TEST_F(Lifecycle, CloneIsInactiveWithActiveCopiesOfTheItemsThatAreNotAnnounced)
{
    HWND window = ServerMainWindow(ServerProcessIds().at(0));
    TClientGroup source = Group(L"Source", true, 500, 42);
    ASSERT_TRUE(source);
    const std::vector<OPCHANDLE> originals = source.Add({kPressure, kRate}, true, VT_EMPTY, 11);
    // The window shows the adds once their call has returned.
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<std::wstring> log = LogLines(window);
        return !log.empty() && log.back() == L"Add Item " + kRate + L" ok";
    }));
    const size_t logBefore = LogLines(window).size();

    ComPtr<IOPCItemMgt> clone;
    ASSERT_EQ(source.As<IOPCGroupStateMgt>()->CloneGroup(L"Copy", IID_IOPCItemMgt,
                                                         reinterpret_cast<IUnknown**>(clone.GetAddressOf())),
              S_OK);
    ComPtr<IOPCGroupStateMgt> cloneState;
    ASSERT_EQ(clone.As(&cloneState), S_OK);
    DWORD rate = 0, lcid = 0;
    BOOL active = TRUE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT deadband = 0;
    OPCHANDLE client = 0, serverHandle = 0;
    ASSERT_EQ(cloneState->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &serverHandle), S_OK);
    EXPECT_EQ(TakeString(name), L"Copy");
    EXPECT_FALSE(active);
    EXPECT_EQ(rate, 500u);
    EXPECT_EQ(client, 42u);
    made_.push_back(serverHandle);

    ComPtr<IEnumOPCItemAttributes> items;
    ASSERT_EQ(clone->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<IUnknown**>(items.GetAddressOf())),
              S_OK);
    TaskMemArray<OPCITEMATTRIBUTES> attributes;
    ULONG fetched = 0;
    ASSERT_EQ(items->Next(5, attributes.put(), &fetched), S_FALSE);
    attributes.set_size(fetched);
    ASSERT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_TRUE(attributes[i].bActive);
        EXPECT_EQ(attributes[i].hClient, 11u + i);
        EXPECT_NE(attributes[i].hServer, originals[i]) << "copies have handles of their own";
    }
    // One call's lines come in one batch.
    EXPECT_TRUE(PumpUntil([&] { return LogLines(window).size() > logBefore; }));
    EXPECT_EQ(LogLines(window).size(), logBefore + 1) << "only the group is announced, not its items";
    EXPECT_EQ(LogLines(window).back(), L"Add Group Copy ok");

    ComPtr<IUnknown> none;
    EXPECT_EQ(source.As<IOPCGroupStateMgt>()->CloneGroup(L"Bad", kIOPCBrowse, none.GetAddressOf()), E_NOINTERFACE);
    EXPECT_EQ(server_->GetGroupByName(L"Bad", IID_IUnknown, none.GetAddressOf()), E_INVALIDARG) << "no trace is left";
}

TEST_F(Lifecycle, GroupEnumeratorsListThePrivateGroupsByName)
{
    TClientGroup b = Group(L"Beta"), a = Group(L"alpha");
    ASSERT_TRUE(a && b);
    ComPtr<IEnumString> names;
    ASSERT_EQ(server_->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString,
                                             reinterpret_cast<IUnknown**>(names.GetAddressOf())),
              S_OK);
    EXPECT_EQ(Drain(names.Get(), 5), (std::vector<std::wstring>{L"alpha", L"Beta"}));

    ComPtr<IEnumUnknown> groups;
    ASSERT_EQ(server_->CreateGroupEnumerator(OPC_ENUM_PRIVATE_CONNECTIONS, IID_IEnumUnknown,
                                             reinterpret_cast<IUnknown**>(groups.GetAddressOf())),
              S_OK);
    IUnknown* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(groups->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();

    ComPtr<IUnknown> empty;
    EXPECT_EQ(server_->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumString, empty.GetAddressOf()), S_FALSE);
    EXPECT_TRUE(empty);
    EXPECT_EQ(server_->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IOPCItemMgt, empty.ReleaseAndGetAddressOf()),
              E_NOINTERFACE);
}

TEST_F(Lifecycle, ClientsOfTheFieldAddGroupsTheirWayAndProbeNewerInterfaces)
{
    // Empty name, no time bias or deadband, LCID 0 or 0x400, the slowest rate.
    for (DWORD lcid : {0x0u, 0x400u}) {
        OPCHANDLE handle = 0;
        DWORD revised = 0;
        ComPtr<IUnknown> unknown;
        ASSERT_EQ(server_->AddGroup(L"", TRUE, 0xFFFFFFFF, 1, nullptr, nullptr, lcid, &handle, &revised, IID_IUnknown,
                                    unknown.GetAddressOf()),
                  S_OK);
        made_.push_back(handle);
        EXPECT_EQ(revised, 0xFFFFFFFFu);
        for (const IID& newer :
             {kIOPCGroupStateMgt2, kIOPCAsyncIO3, kIOPCItemDeadbandMgt, kIOPCItemSamplingMgt, kIOPCSyncIO2}) {
            ComPtr<IUnknown> probe;
            EXPECT_EQ(unknown->QueryInterface(newer, reinterpret_cast<void**>(probe.GetAddressOf())), E_NOINTERFACE);
        }
    }
    for (const IID& newer : {kIOPCBrowse, kIOPCItemIO}) {
        ComPtr<IUnknown> probe;
        EXPECT_EQ(server_->QueryInterface(newer, reinterpret_cast<void**>(probe.GetAddressOf())), E_NOINTERFACE);
    }
    // A group for every single read, many times over.
    for (int i = 0; i < 25; ++i) {
        TClientGroup once(server_.Get(), L"", FALSE, 1000);
        ASSERT_TRUE(once);
        const std::vector<OPCHANDLE> handles = once.Add({kPressure}, false);
        EXPECT_EQ(once.Read(OPC_DS_DEVICE, handles)[0].error, S_OK);
        once.Reset();
        ASSERT_EQ(server_->RemoveGroup(once.ServerHandle(), FALSE), S_OK);
    }
}

}  // namespace

TEST(GroupsAndTheServerObject, ReleasingTheServerFirstCutsOffItsGroupsButNotAnEnumeratorOfThem)
{
    ASSERT_TRUE(WaitForNoServer(20000));
    ComPtr<IOPCServer> server = ConnectServer();
    ASSERT_TRUE(server);
    TClientGroup group(server.Get(), L"Orphan", true, 20);
    ASSERT_TRUE(group);
    const std::vector<OPCHANDLE> handles = group.Add({kPressure});
    ComPtr<IOPCSyncIO> io = group.As<IOPCSyncIO>();
    ComPtr<IEnumOPCItemAttributes> enumerator;
    ASSERT_EQ(group.Items()->CreateEnumerator(IID_IEnumOPCItemAttributes,
                                              reinterpret_cast<IUnknown**>(enumerator.GetAddressOf())),
              S_OK);
    server.Reset();
    // The server object went and took its groups with it: what the client
    // still holds of a group fails cleanly, while the enumerator keeps the
    // group it lists.
    HRESULT hr = S_OK;
    PumpUntil([&] {
        TaskMemArray<OPCITEMSTATE> states;
        TaskMemArray<HRESULT> errors;
        hr = io->Read(OPC_DS_DEVICE, 1, const_cast<OPCHANDLE*>(handles.data()), states.put(1), errors.put(1));
        return FAILED(hr);
    });
    EXPECT_TRUE(IsDisconnected(hr)) << std::hex << hr;
    TaskMemArray<OPCITEMATTRIBUTES> attributes;
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(1, attributes.put(), &fetched), S_OK);
    attributes.set_size(fetched);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(std::wstring(attributes[0].szItemID), kPressure);
    enumerator.Reset();
    io.Reset();
    group.Reset();
    EXPECT_TRUE(WaitForNoServer(20000)) << "the last release ends the COM-started server";
}

TEST(GroupsAndTheServerObject, NoNodeOfTheClientTreeOutlivesItsRecord)
{
    ASSERT_TRUE(WaitForNoServer(20000));
    TProcess process(BesideTest(kServerExe), L"");
    HWND window = WaitForServerMainWindow(process.Id(), 20000);
    ASSERT_NE(window, nullptr);
    {
        ComPtr<IOPCServer> server = ConnectServer();
        ASSERT_TRUE(server);
        TClientGroup kept(server.Get(), L"Kept", true, 20);
        TClientGroup removed(server.Get(), L"Removed", true, 20);
        kept.Add({kPressure, kRate});
        removed.Add({kPressure});
        EXPECT_TRUE(PumpUntil([&] { return ClientTreeNodeCount(window) == 1 + 2 + 3; }));
        removed.Reset();
        ASSERT_EQ(server->RemoveGroup(removed.ServerHandle(), FALSE), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return ClientTreeNodeCount(window) == 1 + 1 + 2; }));
        // The server object goes while the client still holds a group.
        server.Reset();
        EXPECT_TRUE(PumpUntil([&] { return ClientTreeNodeCount(window) == 0; }))
            << "the client's node went with everything below it";
        kept.Reset();
    }
    std::vector<std::wstring> log;
    EXPECT_TRUE(PumpUntil([&] {
        return !(log = LogLines(window)).empty() && log.back() == L"Remove Item " + kRate + L" ok";
    })) << "the last release of the group ends it";
    EXPECT_EQ(ClientTreeNodeCount(window), 0);
    ASSERT_GE(log.size(), 6u);
    const std::vector<std::wstring> tail(log.end() - 6, log.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"Remove Group Removed ok", L"Remove Item " + kPressure + L" ok",
                                               L"Client disconnected Ok", L"Remove Group Kept ok",
                                               L"Remove Item " + kPressure + L" ok", L"Remove Item " + kRate + L" ok"}));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process.WaitForExit(20000)) << "nothing is left that would ask before closing";
}
