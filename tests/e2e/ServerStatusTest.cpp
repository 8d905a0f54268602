// Status, error texts, locales and the client name, through the proxies.
#include "ConnectedServer.h"

namespace {

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

ULONGLONG NowTicks()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

constexpr ULONGLONG kOneMinute = 60ull * 10'000'000ull;

class ServerStatus : public ConnectedServer {};

}  // namespace

TEST_F(ServerStatus, GetStatusDescribesTheRunningServer)
{
    OPCSERVERSTATUS* status = nullptr;
    ASSERT_EQ(server_->GetStatus(&status), S_OK);
    ASSERT_NE(status, nullptr);
    TaskFreeGuard freeStatus{status};
    EXPECT_EQ(TakeString(status->szVendorInfo), L"Vornhalt Quillmere ZEV-30 Server");
    EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
    EXPECT_EQ(status->dwGroupCount, 0u);
    EXPECT_EQ(status->dwBandWidth, 0xFFFFFFFFu);
    EXPECT_EQ(status->wMajorVersion, 1);
    EXPECT_EQ(status->wMinorVersion, 0);
    EXPECT_EQ(status->wBuildNumber, 1);
    const ULONGLONG now = NowTicks();
    EXPECT_LE(Ticks(status->ftStartTime), Ticks(status->ftCurrentTime));
    EXPECT_LT(now - Ticks(status->ftCurrentTime) + kOneMinute, 2 * kOneMinute) << "current time is UTC and fresh";
    EXPECT_LT(now - Ticks(status->ftStartTime), 10 * kOneMinute);
    EXPECT_EQ(Ticks(status->ftLastUpdateTime), 0u) << "no data change was sent yet";
}

TEST_F(ServerStatus, ErrorStringsComeFromTheOwnTableThenTheSystem)
{
    LPWSTR text = nullptr;
    ASSERT_EQ(server_->GetErrorString(OPC_E_INVALIDITEMID, 0x409, &text), S_OK);
    EXPECT_EQ(TakeString(text), L"The item definition doesn't conform to the server's syntax.");

    ASSERT_EQ(server_->GetErrorString(OPC_S_UNSUPPORTEDRATE, 0x407, &text), S_OK) << "not localised";
    EXPECT_EQ(TakeString(text),
              L"The server does not support the requested data rate but will use the closest available rate.");

    ASSERT_EQ(server_->GetErrorString(E_OUTOFMEMORY, 0, &text), S_OK);
    EXPECT_FALSE(TakeString(text).empty()) << "system message table";

    text = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(server_->GetErrorString(static_cast<HRESULT>(0xC0049999), 0, &text), E_INVALIDARG);
    EXPECT_EQ(text, nullptr);

    auto common = As<IOPCCommon>();
    ASSERT_EQ(common->GetErrorString(OPC_E_BADTYPE, &text), S_OK);
    EXPECT_EQ(TakeString(text), L"requested data type and the canonical data type.");
}

TEST_F(ServerStatus, LocalesAreTheSystemAndUserDefaults)
{
    auto common = As<IOPCCommon>();
    DWORD count = 0;
    LCID* ids = nullptr;
    ASSERT_EQ(common->QueryAvailableLocaleIDs(&count, &ids), S_OK);
    TaskFreeGuard freeIds{ids};
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(ids[0], 0x800u);
    EXPECT_EQ(ids[1], GetSystemDefaultLCID());
    EXPECT_EQ(ids[2], GetUserDefaultLCID());

    LCID current = 0;
    ASSERT_EQ(common->GetLocaleID(&current), S_OK);
    EXPECT_EQ(current, 0x800u);
    EXPECT_EQ(common->SetLocaleID(ids[2]), S_OK);
    ASSERT_EQ(common->GetLocaleID(&current), S_OK);
    EXPECT_EQ(current, ids[2]);

    const LCID other = ids[1] == 0x0411 || ids[2] == 0x0411 ? 0x0416 : 0x0411;
    EXPECT_EQ(common->SetLocaleID(other), E_INVALIDARG);
    ASSERT_EQ(common->GetLocaleID(&current), S_OK);
    EXPECT_EQ(current, ids[2]) << "a refused locale changes nothing";
    EXPECT_EQ(common->SetLocaleID(0x800), S_OK);
}

TEST_F(ServerStatus, ClientNameIsAccepted)
{
    auto common = As<IOPCCommon>();
    EXPECT_EQ(common->SetClientName(L"Plant A"), S_OK);
    EXPECT_EQ(common->SetClientName(L""), S_OK);
}

TEST_F(ServerStatus, GroupCountAndLastUpdateFollowTheClientsGroups)
{
    auto status = [&] {
        OPCSERVERSTATUS* raw = nullptr;
        EXPECT_EQ(server_->GetStatus(&raw), S_OK);
        OPCSERVERSTATUS copy = *raw;
        CoTaskMemFree(raw->szVendorInfo);
        CoTaskMemFree(raw);
        return copy;
    };
    const OPCSERVERSTATUS before = status();
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    ComPtr<IOPCItemMgt> group;
    ASSERT_EQ(server_->AddGroup(L"Status", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &revised, IID_IOPCItemMgt,
                                reinterpret_cast<IUnknown**>(group.GetAddressOf())),
              S_OK);
    EXPECT_EQ(status().dwGroupCount, before.dwGroupCount + 1);

    OPCITEMDEF def{};
    def.szAccessPath = const_cast<wchar_t*>(L"");
    def.szItemID = const_cast<wchar_t*>(L"Float.OM Signal");
    OPCITEMRESULT* result = nullptr;
    HRESULT* errors = nullptr;
    ASSERT_EQ(group->AddItems(1, &def, &result, &errors), S_OK);
    OPCHANDLE item = result->hServer;
    CoTaskMemFree(result);
    CoTaskMemFree(errors);
    ComPtr<IOPCSyncIO> io;
    ASSERT_EQ(group.As(&io), S_OK);
    OPCITEMSTATE* states = nullptr;
    ASSERT_EQ(io->Read(OPC_DS_DEVICE, 1, &item, &states, &errors), S_OK);
    VariantClear(&states[0].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
    const OPCSERVERSTATUS after = status();
    EXPECT_GT(CompareFileTime(&after.ftLastUpdateTime, &before.ftLastUpdateTime), 0)
        << "a read counts as an update sent to the client";

    io.Reset();
    group.Reset();
    EXPECT_EQ(server_->RemoveGroup(handle, FALSE), S_OK);
    EXPECT_EQ(status().dwGroupCount, before.dwGroupCount);
}
