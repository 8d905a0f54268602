// The server status and the error texts that a client reads.
#include "host/OpcTime.h"
#include "ServerTestSupport.h"

namespace {

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTime(ULONGLONG ticks)
{
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The status as a client receives it, freed with the task allocator.
struct TStatusOut {
    OPCSERVERSTATUS* value = nullptr;
    ~TStatusOut()
    {
        if (value) CoTaskMemFree(value->szVendorInfo);
        CoTaskMemFree(value);
    }
};

using StatusTest = ServerObjectTest;

TEST_F(StatusTest, ReportsRunningServerWithItsStartTimeVendorAndVersion)
{
    ComPtr<IOPCServer> server = Connect();
    items.clock = FileTime(133'000'000'000'000'000ULL);

    TStatusOut status;
    ASSERT_EQ(server->GetStatus(&status.value), S_OK);
    ASSERT_NE(status.value, nullptr);
    const OPCSERVERSTATUS& s = *status.value;
    EXPECT_EQ(Ticks(s.ftStartTime), Ticks(items.StartTime()));
    EXPECT_NE(Ticks(s.ftStartTime), 0u);
    EXPECT_EQ(Ticks(s.ftCurrentTime), Ticks(*items.clock));
    EXPECT_EQ(Ticks(s.ftLastUpdateTime), 0u);  // no group has called back yet
    EXPECT_EQ(s.dwServerState, OPC_STATUS_RUNNING);
    EXPECT_EQ(s.dwGroupCount, 0u);
    EXPECT_EQ(s.dwBandWidth, 0xFFFFFFFFu);
    // FILEVERSION 3,14,27,159 of this executable's version resource.
    EXPECT_EQ(s.wMajorVersion, 3);
    EXPECT_EQ(s.wMinorVersion, 14);
    EXPECT_EQ(s.wBuildNumber, 159);
    ASSERT_NE(s.szVendorInfo, nullptr);
    EXPECT_STREQ(s.szVendorInfo, L"Vornhalt Test Server");
}

TEST_F(StatusTest, CurrentTimeIsTakenAtEachCall)
{
    ComPtr<IOPCServer> server = Connect();
    TStatusOut first, second;
    items.clock = FileTime(1000);
    ASSERT_EQ(server->GetStatus(&first.value), S_OK);
    items.clock = FileTime(2000);
    ASSERT_EQ(server->GetStatus(&second.value), S_OK);
    EXPECT_EQ(Ticks(first.value->ftCurrentTime), 1000u);
    EXPECT_EQ(Ticks(second.value->ftCurrentTime), 2000u);
    EXPECT_EQ(Ticks(second.value->ftStartTime), Ticks(first.value->ftStartTime));
}

TEST_F(StatusTest, LastUpdateTimeIsTheClientRecordsOwn)
{
    ComPtr<IOPCServer> server = Connect();
    Impl(server.Get()).LastUpdateTime = FileTime(4242);
    TStatusOut status;
    ASSERT_EQ(server->GetStatus(&status.value), S_OK);
    EXPECT_EQ(Ticks(status.value->ftLastUpdateTime), 4242u);
}

// ---- Error texts ----

class ErrorStringTest : public ServerObjectTest {
protected:
    // GetErrorString of IOPCServer; the text, or "<none>" when no string came back.
    std::wstring Text(HRESULT code, LCID locale, HRESULT expected = S_OK)
    {
        TaskOut<wchar_t> text;
        EXPECT_EQ(server->GetErrorString(code, locale, text.put()), expected);
        return text.value ? std::wstring(text.value) : std::wstring(L"<none>");
    }

    ComPtr<IOPCServer> server = Connect();
};

TEST_F(ErrorStringTest, OwnCodesHaveTheirExactEnglishText)
{
    EXPECT_EQ(Text(OPC_E_BADTYPE, 0x0409), L"requested data type and the canonical data type.");
    EXPECT_EQ(Text(OPC_E_INVALID_PID, 0x0407), L"The server does not recognise the passed property ID.");
    EXPECT_EQ(Text(OPC_S_UNSUPPORTEDRATE, 0x0411),
              L"The server does not support the requested data rate but will use the closest available rate.");
    EXPECT_EQ(Text(OPC_E_DUPLICATENAME, LOCALE_SYSTEM_DEFAULT), L"Duplicate name not allowed.");
}

TEST_F(ErrorStringTest, SystemCodesHaveTheSystemsText)
{
    EXPECT_NE(Text(E_OUTOFMEMORY, LOCALE_SYSTEM_DEFAULT), L"");
    EXPECT_NE(Text(E_OUTOFMEMORY, LOCALE_SYSTEM_DEFAULT), L"<none>");
}

TEST_F(ErrorStringTest, CodeWithoutAnyTextGivesInvalidArgAndNoString)
{
    EXPECT_EQ(Text(static_cast<HRESULT>(0xC004FFFE), 0x0409, E_INVALIDARG), L"<none>");
}

TEST_F(ErrorStringTest, LocaleIsPassedOnAsItsLanguageWithoutACheck)
{
    Text(OPC_E_RANGE, 0x12340407);
    EXPECT_EQ(items.lastErrorLanguage, 0x0407);
}

TEST_F(ErrorStringTest, CommonGetErrorStringUsesTheStoredLocale)
{
    ComPtr<IOPCCommon> common = As<IOPCCommon>(server.Get());
    TaskOut<wchar_t> first;
    ASSERT_EQ(common->GetErrorString(OPC_E_RANGE, first.put()), S_OK);
    EXPECT_STREQ(first.value, L"The value was out of range.");
    EXPECT_EQ(items.lastErrorLanguage, LANGIDFROMLCID(LOCALE_SYSTEM_DEFAULT));

    const LCID user = GetUserDefaultLCID();
    ASSERT_EQ(common->SetLocaleID(user), S_OK);
    TaskOut<wchar_t> second;
    ASSERT_EQ(common->GetErrorString(E_FAIL, second.put()), S_OK);
    ASSERT_NE(second.value, nullptr);
    EXPECT_NE(second.value[0], L'\0');
    EXPECT_EQ(items.lastErrorLanguage, LANGIDFROMLCID(user));
}

}  // namespace
