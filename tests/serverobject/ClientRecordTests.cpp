// The server object as the client record: its place in the client list, the
// hooks the item server receives, its name and its locale.
#include "host/ClientList.h"
#include "ServerTestSupport.h"

namespace {

using ClientRecordTest = ServerObjectTest;

TEST_F(ClientRecordTest, CreationJoinsTheClientListBeforeClientConnectedIsSentOnce)
{
    ComPtr<IOPCServer> server = Connect();
    TServerImpl& client = Impl(server.Get());
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 1);
    EXPECT_EQ(items.HookRecord(TNotifyCode::ClientConnected),
              static_cast<const void*>(static_cast<TClientInfo*>(&client)));
    EXPECT_TRUE(items.listedAtConnect);
    EXPECT_EQ(items.stateAtConnect, static_cast<DWORD>(OPC_STATUS_RUNNING));
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 0);
    EXPECT_TRUE(items.Listed(client));
}

TEST_F(ClientRecordTest, FinalReleaseLeavesTheClientListAndSendsClientDisconnectedOnce)
{
    ComPtr<IOPCServer> server = Connect();
    ComPtr<IOPCCommon> common = As<IOPCCommon>(server.Get());
    const void* record = static_cast<TClientInfo*>(&Impl(server.Get()));

    server.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 0);  // the client still holds IOPCCommon
    EXPECT_EQ(items.ClientList().Count(), 1u);

    common.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_EQ(items.HookRecord(TNotifyCode::ClientDisconnected), record);
    EXPECT_FALSE(items.listedAtDisconnect);
    EXPECT_EQ(items.ClientList().Count(), 0u);
}

TEST_F(ClientRecordTest, EachClientIsItsOwnRecord)
{
    ComPtr<IOPCServer> first = Connect();
    ComPtr<IOPCServer> second = Connect();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientConnected), 2);
    first.Reset();
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientDisconnected), 1);
    EXPECT_TRUE(items.Listed(Impl(second.Get())));
    EXPECT_EQ(items.ClientList().Count(), 1u);
}

TEST_F(ClientRecordTest, SetClientNameStoresTheNameBeforeClientRenamed)
{
    ComPtr<IOPCCommon> common = Connect<IOPCCommon>();
    TServerImpl& client = Impl(As<IOPCServer>(common.Get()).Get());
    EXPECT_EQ(client.ClientName, L"");

    ASSERT_EQ(common->SetClientName(L"Supervisor"), S_OK);
    EXPECT_EQ(client.ClientName, L"Supervisor");
    EXPECT_EQ(items.nameAtRename, L"Supervisor");
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientRenamed), 1);
    EXPECT_EQ(items.HookRecord(TNotifyCode::ClientRenamed),
              static_cast<const void*>(static_cast<TClientInfo*>(&client)));

    ASSERT_EQ(common->SetClientName(nullptr), S_OK);
    EXPECT_EQ(client.ClientName, L"");
    EXPECT_EQ(items.nameAtRename, L"");
    EXPECT_EQ(items.HookCalls(TNotifyCode::ClientRenamed), 2);
}

// ---- Locale ----

class LocaleTest : public ServerObjectTest {
protected:
    LCID Current()
    {
        LCID lcid = 0xDEAD;
        EXPECT_EQ(common->GetLocaleID(&lcid), S_OK);
        return lcid;
    }

    ComPtr<IOPCCommon> common = Connect<IOPCCommon>();
};

TEST_F(LocaleTest, NewClientStartsWithTheSystemDefaultLocale)
{
    EXPECT_EQ(Current(), static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
}

TEST_F(LocaleTest, AcceptsTheThreeAvailableLocales)
{
    for (LCID lcid : {GetSystemDefaultLCID(), GetUserDefaultLCID(), static_cast<LCID>(LOCALE_SYSTEM_DEFAULT)}) {
        EXPECT_EQ(common->SetLocaleID(lcid), S_OK) << std::hex << lcid;
        EXPECT_EQ(Current(), lcid);
    }
}

TEST_F(LocaleTest, RefusesAnyOtherLocaleAndKeepsTheStoredOne)
{
    const LCID user = GetUserDefaultLCID();
    ASSERT_EQ(common->SetLocaleID(user), S_OK);

    const LCID japanese = 0x0411;
    if (japanese != user && japanese != GetSystemDefaultLCID()) {
        EXPECT_EQ(common->SetLocaleID(japanese), E_INVALIDARG);
        EXPECT_EQ(Current(), user);
    }
    // Compared as whole values: the user's language with another sort order is another locale.
    const LCID otherSort = MAKELCID(LANGIDFROMLCID(user), SORT_JAPANESE_UNICODE);
    if (otherSort != user && otherSort != GetSystemDefaultLCID()) {
        EXPECT_EQ(common->SetLocaleID(otherSort), E_INVALIDARG);
        EXPECT_EQ(Current(), user);
    }
    // Of the two markers only the system one is offered.
    EXPECT_EQ(common->SetLocaleID(LOCALE_USER_DEFAULT), E_INVALIDARG);
    EXPECT_EQ(Current(), user);
}

TEST_F(LocaleTest, AvailableLocalesAreSystemMarkerSystemAndUserInThisOrder)
{
    DWORD count = 0;
    TaskOut<LCID> lcids;
    ASSERT_EQ(common->QueryAvailableLocaleIDs(&count, lcids.put()), S_OK);
    ASSERT_EQ(count, 3u);
    ASSERT_NE(lcids.value, nullptr);
    EXPECT_EQ(lcids.value[0], static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
    EXPECT_EQ(lcids.value[1], GetSystemDefaultLCID());
    EXPECT_EQ(lcids.value[2], GetUserDefaultLCID());
}

TEST_F(LocaleTest, LocalesAreKeptPerClient)
{
    ComPtr<IOPCCommon> other = Connect<IOPCCommon>();
    ASSERT_EQ(common->SetLocaleID(GetUserDefaultLCID()), S_OK);
    LCID lcid = 0;
    ASSERT_EQ(other->GetLocaleID(&lcid), S_OK);
    EXPECT_EQ(lcid, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
}

}  // namespace
