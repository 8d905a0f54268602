// Browsing the flat address space of the 132 items through the proxies,
// including the string enumerator that crosses back to the client.
#include <algorithm>
#include <vector>

#include "Enumerators.h"
#include "ConnectedServer.h"

namespace {

class Browse : public ConnectedServer {
protected:

    HRESULT BrowseIds(OPCBROWSETYPE type, const wchar_t* mask, VARTYPE vt, DWORD rights,
                      std::vector<std::wstring>& ids, ComPtr<IEnumString>* keep = nullptr)
    {
        auto browse = As<IOPCBrowseServerAddressSpace>();
        ComPtr<IEnumString> e;
        const HRESULT hr = browse->BrowseOPCItemIDs(type, mask, vt, rights, e.GetAddressOf());
        ids = e ? Drain(e.Get(), 7) : std::vector<std::wstring>{};
        if (keep) *keep = e;
        return hr;
    }

    static size_t IndexOf(const std::vector<std::wstring>& ids, const std::wstring& id)
    {
        return static_cast<size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    }
};

}  // namespace

TEST_F(Browse, FlatListingHoldsAllItemsInCaseInsensitiveOrder)
{
    auto browse = As<IOPCBrowseServerAddressSpace>();
    OPCNAMESPACETYPE type{};
    ASSERT_EQ(browse->QueryOrganization(&type), S_OK);
    EXPECT_EQ(type, OPC_NS_FLAT);

    std::vector<std::wstring> ids;
    ASSERT_EQ(BrowseIds(OPC_FLAT, L"", VT_EMPTY, 0, ids), S_OK);
    ASSERT_EQ(ids.size(), 132u);
    EXPECT_EQ(ids.front(), L"Boolean.srvZEV30win");
    EXPECT_LT(IndexOf(ids, L"Flag.Disturbance"), IndexOf(ids, L"Flag.Layer END"));
    EXPECT_LT(IndexOf(ids, L"Float.Chamber Pressure"), IndexOf(ids, L"Float.Gas 1 Control (Volt)"));
    EXPECT_LT(IndexOf(ids, L"Output.OUT 1"), IndexOf(ids, L"Output.REL 1"));
    EXPECT_LT(IndexOf(ids, L"String.DM-State"), IndexOf(ids, L"String.Xtal-4 RawFreq"));
    EXPECT_LT(IndexOf(ids, L"Flag.REM-CL-START"), ids.size());

    ASSERT_EQ(BrowseIds(OPC_BRANCH, L"", VT_EMPTY, 0, ids), S_FALSE);
    EXPECT_TRUE(ids.empty());
}

TEST_F(Browse, MasksTypesAndRightsFilterTheListing)
{
    std::vector<std::wstring> ids;
    ASSERT_EQ(BrowseIds(OPC_FLAT, L"float.*", VT_EMPTY, 0, ids), S_OK);
    EXPECT_EQ(ids.size(), 18u);
    for (const auto& id : ids) EXPECT_EQ(id.substr(0, 6), L"Float.");

    ASSERT_EQ(BrowseIds(OPC_LEAF, L"Output.REL ?", VT_EMPTY, 0, ids), S_OK);
    EXPECT_EQ(ids.size(), 9u);

    ASSERT_EQ(BrowseIds(OPC_FLAT, L"", VT_R8, 0, ids), S_OK);
    EXPECT_EQ(ids.size(), 22u);
    EXPECT_LT(IndexOf(ids, L"String.Xtal-1 RawFreq"), ids.size()) << "published type, not the family word";
    ASSERT_EQ(BrowseIds(OPC_FLAT, L"", VT_ARRAY | VT_R8, 0, ids), S_FALSE);

    ASSERT_EQ(BrowseIds(OPC_FLAT, L"", VT_EMPTY, OPC_WRITEABLE, ids), S_OK);
    EXPECT_EQ(ids.size(), 132u);
}

TEST_F(Browse, BadArgumentsAreRefused)
{
    auto browse = As<IOPCBrowseServerAddressSpace>();
    IEnumString* e = reinterpret_cast<IEnumString*>(1);
    EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, L"[", VT_EMPTY, 0, &e), OPC_E_INVALIDFILTER);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(browse->BrowseOPCItemIDs(static_cast<OPCBROWSETYPE>(4), L"", VT_EMPTY, 0, &e), E_INVALIDARG);
    EXPECT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, L"", VT_EMPTY, 4, &e), E_INVALIDARG);
    for (auto direction : {OPC_BROWSE_UP, OPC_BROWSE_DOWN, OPC_BROWSE_TO})
        EXPECT_EQ(browse->ChangeBrowsePosition(direction, L"Float"), E_FAIL);
    EXPECT_EQ(browse->BrowseAccessPaths(L"Float.Chamber Pressure", &e), E_NOTIMPL);
}

TEST_F(Browse, GetItemIdAnswersForIdsInTheSpace)
{
    auto browse = As<IOPCBrowseServerAddressSpace>();
    LPWSTR id = nullptr;
    ASSERT_EQ(browse->GetItemID(const_cast<LPWSTR>(L"float.chamber pressure"), &id), S_OK);
    EXPECT_EQ(TakeString(id), L"float.chamber pressure") << "flat: the ID as the client wrote it";
    ASSERT_EQ(browse->GetItemID(const_cast<LPWSTR>(L""), &id), S_OK);
    EXPECT_EQ(TakeString(id), L"");
    EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(L"Float.No Such Item"), &id), E_INVALIDARG);
    EXPECT_EQ(id, nullptr);
}

TEST_F(Browse, EnumeratorNextSkipResetAndClone)
{
    std::vector<std::wstring> all;
    ComPtr<IEnumString> e;
    ASSERT_EQ(BrowseIds(OPC_FLAT, L"Output.REL 1?", VT_EMPTY, 0, all, &e), S_OK);
    ASSERT_EQ(all.size(), 6u);  // REL 10 to REL 15
    ASSERT_EQ(e->Reset(), S_OK);

    LPOLESTR one[1] = {};
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(1, one, &fetched), S_OK);
    EXPECT_EQ(TakeString(one[0]), all[0]);
    ASSERT_EQ(e->Next(1, one, &fetched), S_OK);
    EXPECT_EQ(TakeString(one[0]), all[1]);

    ComPtr<IEnumString> clone;
    ASSERT_EQ(e->Clone(clone.GetAddressOf()), S_OK);
    ASSERT_EQ(clone->Next(1, one, &fetched), S_OK);
    EXPECT_EQ(TakeString(one[0]), all[0]) << "a clone starts at the first element";
    ASSERT_EQ(e->Next(1, one, &fetched), S_OK);
    EXPECT_EQ(TakeString(one[0]), all[2]) << "the original goes on where it was";

    LPOLESTR five[5] = {};
    ASSERT_EQ(e->Next(5, five, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u);
    for (ULONG i = 0; i < fetched; ++i) EXPECT_EQ(TakeString(five[i]), all[3 + i]);

    ASSERT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(4), S_OK);
    EXPECT_EQ(e->Skip(3), S_FALSE);
    ASSERT_EQ(e->Next(1, one, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}
