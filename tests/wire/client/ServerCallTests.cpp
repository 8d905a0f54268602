// Calls on the server object: structures and strings that the server
// allocates, a counted array, and an enumerator interface coming back.
#include "Enumerators.h"
#include "WireProtocol.h"
#include "client/WireFixture.h"
#include "opcerror.h"
#include <string>

namespace wire {
namespace {

TEST_F(WireTest, StatusStructureArrivesWithItsVendorString) {
    TaskPtr<OPCSERVERSTATUS> status;
    OPCSERVERSTATUS* raw = nullptr;
    ASSERT_EQ(S_OK, server()->GetStatus(&raw));
    status.reset(raw);
    ASSERT_NE(nullptr, status);
    TaskString vendor(status->szVendorInfo);
    EXPECT_EQ(OPC_STATUS_RUNNING, status->dwServerState);
    EXPECT_EQ(2, status->wMajorVersion);
    EXPECT_EQ(5, status->wMinorVersion);
    EXPECT_EQ(0xBEEF, status->wBuildNumber);
    EXPECT_NE(0u, status->ftStartTime.dwHighDateTime);
    EXPECT_GE(CompareFileTime(&status->ftCurrentTime, &status->ftStartTime), 0);
    ASSERT_NE(nullptr, vendor);
    EXPECT_STREQ(L"Quillmere wire test server \u00B5", vendor.get());
}

TEST_F(WireTest, ErrorTextsComeBackAsOutStringsOfBothInterfaces) {
    LPWSTR text = nullptr;
    ASSERT_EQ(S_OK, server()->GetErrorString(OPC_E_UNKNOWNITEMID, 0x0409, &text));
    TaskString owned(text);
    EXPECT_STREQ(L"The item ID is not defined in the server address space.", text);

    LPWSTR none = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(E_INVALIDARG, server()->GetErrorString(0x12345678, 0x0409, &none));
    EXPECT_EQ(nullptr, none);

    ComPtr<IOPCCommon> common;
    ASSERT_HRESULT_SUCCEEDED(server()->QueryInterface(IID_PPV_ARGS(&common)));
    LPWSTR commonText = nullptr;
    ASSERT_EQ(S_OK, common->GetErrorString(OPC_E_BADTYPE, &commonText));
    TaskString ownedCommon(commonText);
    EXPECT_EQ(0, std::wstring(commonText).find(L"The server cannot convert"));
}

TEST_F(WireTest, CommonInterfaceCarriesLocalesAndACountedArray) {
    ComPtr<IOPCCommon> common;
    ASSERT_HRESULT_SUCCEEDED(server()->QueryInterface(IID_PPV_ARGS(&common)));

    DWORD count = 0;
    TaskMemArray<LCID> locales;
    ASSERT_EQ(S_OK, common->QueryAvailableLocaleIDs(&count, locales.put(0)));
    locales.set_size(count);
    ASSERT_EQ(3u, locales.size());
    EXPECT_EQ(0x0409u, locales[0]);
    EXPECT_EQ(0x0407u, locales[1]);
    EXPECT_EQ(0x0800u, locales[2]);

    EXPECT_EQ(S_OK, common->SetLocaleID(0x0407));
    EXPECT_EQ(E_INVALIDARG, common->SetLocaleID(0x0411));
    LCID current = 0;
    EXPECT_EQ(S_OK, common->GetLocaleID(&current));
    EXPECT_EQ(0x0407u, current);
    EXPECT_EQ(S_OK, common->SetClientName(L"wire test client"));
}


TEST_F(WireTest, BrowsingReturnsAnEnumStringAcrossTheProcessBoundary) {
    ComPtr<IOPCBrowseServerAddressSpace> browse;
    ASSERT_HRESULT_SUCCEEDED(server()->QueryInterface(IID_PPV_ARGS(&browse)));

    OPCNAMESPACETYPE organization{};
    EXPECT_EQ(S_OK, browse->QueryOrganization(&organization));
    EXPECT_EQ(OPC_NS_FLAT, organization);

    ComPtr<IEnumString> all;
    ASSERT_EQ(S_OK, browse->BrowseOPCItemIDs(OPC_FLAT, L"", VT_EMPTY, 0, &all));
    ASSERT_NE(nullptr, all);
    ComPtr<IEnumString> clone;
    ASSERT_EQ(S_OK, all->Clone(&clone));
    EXPECT_EQ((std::vector<std::wstring>{kItemCounter, kItemText, kItemVector, kItemNames}), Drain(all.Get(), 3));
    EXPECT_EQ(S_OK, clone->Skip(3));
    EXPECT_EQ(std::vector<std::wstring>{kItemNames}, Drain(clone.Get(), 10));

    ComPtr<IEnumString> texts;
    ASSERT_EQ(S_OK, browse->BrowseOPCItemIDs(OPC_LEAF, L"Wire.", VT_BSTR, 0, &texts));
    EXPECT_EQ(std::vector<std::wstring>{kItemText}, Drain(texts.Get(), 10));

    ComPtr<IEnumString> none;
    ASSERT_EQ(S_FALSE, browse->BrowseOPCItemIDs(OPC_FLAT, L"Nothing", VT_EMPTY, 0, &none));
    EXPECT_TRUE(Drain(none.Get(), 10).empty());

    LPWSTR itemId = nullptr;
    ASSERT_EQ(S_OK, browse->GetItemID(const_cast<LPWSTR>(kItemVector), &itemId));
    TaskString owned(itemId);
    EXPECT_STREQ(kItemVector, itemId);
    LPWSTR unknown = nullptr;
    EXPECT_EQ(OPC_E_UNKNOWNITEMID, browse->GetItemID(const_cast<LPWSTR>(L"Wire.Missing"), &unknown));
    EXPECT_EQ(nullptr, unknown);
}

}  // namespace
}  // namespace wire
