// The browse calls of a client: organisation, position changes, item ID
// listing with filters, and GetItemID, in a flat and a hierarchical space.
#include <gtest/gtest.h>

#include <algorithm>

#include "AddrTestSupport.h"
#include "addrspace/AddressSpaceBrowser.h"

namespace {

using Names = std::vector<std::wstring>;
constexpr TAccessRights RW = TAccessRights::ReadWrite();

// A flat catalogue in scrambled order, mixing letter case where ordinal and
// case-insensitive orders disagree.
std::vector<TItemDecl> FlatItems()
{
    std::vector<TItemDecl> items = {
        {L"Zeta", RW, VT_I4},
        {L"String.Remote Text", TAccessRights::WriteOnly(), VT_BSTR},
        {L"Float.Thickness", RW, VT_R8},
        {L"alpha", RW, VT_I4},
        {L"float.Gas Flow 2", RW, VT_ARRAY | VT_R8},
        {L"Integer.State", TAccessRights::ReadOnly(), VT_I4},
        {L"Boolean.srvZEV30win", RW, VT_BOOL},
        {L"FLOAT.Gas Flow 1", RW, VT_R8},
        {L"Float.Chamber Pressure", RW, VT_R8},
        {L"Beta", RW, VT_I4},
        {L"String.remote command", RW, VT_BSTR},
        {L"Integer.Layer Number", RW, VT_I4},
        {L"Float.Rate Measured", RW, VT_R8},
        {L"Boolean.Relay", RW, VT_BOOL},
    };
    for (wchar_t c : std::wstring(L"PHCMAKOEJBNFLDIG"))
        items.push_back({std::wstring(L"Digital.Output ") + c, RW, VT_BOOL});
    return items;
}

Names DigitalOutputs(const wchar_t* letters)
{
    Names names;
    for (const wchar_t* c = letters; *c; ++c) names.push_back(std::wstring(L"Digital.Output ") + *c);
    return names;
}

Names Concat(std::initializer_list<Names> parts)
{
    Names all;
    for (const Names& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class FlatBrowse : public ::testing::Test {
protected:
    TTestItemServer server{false, FlatItems()};
    TItemIdList*& position = server.Client(0);

    Names Browse(DWORD type, const wchar_t* mask = L"", VARTYPE vt = VT_EMPTY, DWORD rights = 0)
    {
        return BrowseItemIds(server.Space(), position, type, mask, vt, rights);
    }
};

const std::vector<TItemDecl> kPlant = {
    {L"Plant.Line1.Speed", RW, VT_R8},  {L"Plant.Line1.Temp", RW, VT_R4},  {L"Plant.Mode", RW, VT_I4},
    {L"Plant.Line2.Speed", RW, VT_R8},  {L"Plant.Alarm", TAccessRights::ReadOnly(), VT_BOOL},
    {L"Area.Valve", RW, VT_BOOL},       {L"Status", RW, VT_BSTR},         {L"A.B.C", RW, VT_R8},
};

class HierarchicalBrowse : public ::testing::Test {
protected:
    TTestItemServer server{true, kPlant};
    TItemIdList*& position = server.Client(0);

    Names Browse(DWORD type, const wchar_t* mask = L"", VARTYPE vt = VT_EMPTY, DWORD rights = 0)
    {
        return BrowseItemIds(server.Space(), position, type, mask, vt, rights);
    }
    HRESULT Change(DWORD direction, const wchar_t* path)
    {
        return RaisedCode([&] { ChangeBrowsePosition(server.Space(), position, direction, path); });
    }
    std::wstring Where() const { return position ? FullPath(*position) : L"<none>"; }
};

}  // namespace

TEST_F(FlatBrowse, FlatListsEveryIdCaseInsensitivelyOrdered)
{
    EXPECT_EQ(QueryOrganization(server.Space()), DWORD(NamespaceFlat));
    EXPECT_EQ(server.Builds(), 0);  // asking the organisation builds nothing

    const Names expected = Concat({
        {L"alpha", L"Beta", L"Boolean.Relay", L"Boolean.srvZEV30win"},
        DigitalOutputs(L"ABCDEFGHIJKLMNOP"),
        {L"Float.Chamber Pressure", L"FLOAT.Gas Flow 1", L"float.Gas Flow 2", L"Float.Rate Measured",
         L"Float.Thickness", L"Integer.Layer Number", L"Integer.State", L"String.remote command",
         L"String.Remote Text", L"Zeta"},
    });
    EXPECT_EQ(Browse(BrowseFlat), expected);
    EXPECT_EQ(server.Builds(), 1);
    EXPECT_EQ(position, server.Space().Root());
    EXPECT_EQ(Browse(BrowseLeaf), expected);
    EXPECT_EQ(Browse(BrowseFlat, nullptr), expected);
    EXPECT_TRUE(Browse(BrowseBranch).empty());
    EXPECT_EQ(server.Builds(), 1);
}

TEST_F(FlatBrowse, MasksSelectByName)
{
    EXPECT_EQ(Browse(BrowseFlat, L"float.*"),
              (Names{L"Float.Chamber Pressure", L"FLOAT.Gas Flow 1", L"float.Gas Flow 2", L"Float.Rate Measured",
                     L"Float.Thickness"}));
    EXPECT_EQ(Browse(BrowseFlat, L"*gas flow ?"), (Names{L"FLOAT.Gas Flow 1", L"float.Gas Flow 2"}));
    EXPECT_EQ(Browse(BrowseFlat, L"Digital.Output [a-c]"), DigitalOutputs(L"ABC"));
    EXPECT_EQ(Browse(BrowseFlat, L"Digital.Output [ACE]"), DigitalOutputs(L"ACE"));
    EXPECT_EQ(Browse(BrowseFlat, L"Digital.Output [!A-N]"), DigitalOutputs(L"OP"));
    EXPECT_EQ(Browse(BrowseLeaf, L"*z*"), (Names{L"Boolean.srvZEV30win", L"Zeta"}));
    EXPECT_TRUE(Browse(BrowseFlat, L"Nothing*").empty());

    for (const wchar_t* bad : {L"[", L"[]", L"[-a]", L"Float.[A"})
        EXPECT_EQ(RaisedCode([&] { Browse(BrowseFlat, bad); }), OPC_E_INVALIDFILTER);
    std::wstring tooMany(MaxMaskWildcards + 1, L'?');
    EXPECT_EQ(RaisedCode([&] { Browse(BrowseLeaf, tooMany.c_str()); }), OPC_E_INVALIDFILTER);
}

TEST_F(FlatBrowse, TypeAndRightsFilters)
{
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_R8),
              (Names{L"Float.Chamber Pressure", L"FLOAT.Gas Flow 1", L"Float.Rate Measured", L"Float.Thickness"}));
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_ARRAY | VT_R8), (Names{L"float.Gas Flow 2"}));
    EXPECT_EQ(Browse(BrowseFlat, L"f*", VT_BOOL), Names{});

    const Names all = Browse(BrowseFlat);
    auto without = [&](const wchar_t* id) {
        Names n = all;
        n.erase(std::find(n.begin(), n.end(), id));
        return n;
    };
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_EMPTY, OPC_WRITEABLE), without(L"Integer.State"));
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_EMPTY, OPC_READABLE), without(L"String.Remote Text"));
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_EMPTY, OPC_READABLE | OPC_WRITEABLE), all);
    EXPECT_EQ(Browse(BrowseFlat, L"int*", VT_I4, OPC_WRITEABLE), (Names{L"Integer.Layer Number"}));
}

TEST_F(FlatBrowse, OutOfRangeArgumentsAreInvalid)
{
    for (DWORD type : {0u, 4u, 0xFFFFFFFFu})
        EXPECT_EQ(RaisedCode([&] { Browse(type); }), E_INVALIDARG) << type;
    for (DWORD rights : {4u, 0xFFFFFFFFu})
        EXPECT_EQ(RaisedCode([&] { Browse(BrowseFlat, L"", VT_EMPTY, rights); }), E_INVALIDARG) << rights;
    EXPECT_EQ(server.Builds(), 0);  // checked before the tree is needed
}

TEST_F(FlatBrowse, GetItemIdReturnsTheTextAsWritten)
{
    EXPECT_EQ(GetItemId(server.Space(), position, nullptr), std::nullopt);
    EXPECT_EQ(GetItemId(server.Space(), position, L""), std::optional<std::wstring>(L""));
    EXPECT_EQ(server.Builds(), 0);
    EXPECT_EQ(GetItemId(server.Space(), position, L"Float.Chamber Pressure"), L"Float.Chamber Pressure");
    EXPECT_EQ(GetItemId(server.Space(), position, L"float.CHAMBER pressure"), L"float.CHAMBER pressure");
    EXPECT_EQ(RaisedCode([&] { GetItemId(server.Space(), position, L"Float.Chamber"); }), E_INVALIDARG);
    EXPECT_EQ(RaisedCode([&] { GetItemId(server.Space(), position, L"Float.Chamber Pressure "); }), E_INVALIDARG);
}

TEST_F(FlatBrowse, PositionNeverChanges)
{
    for (DWORD direction : {DWORD(BrowseUp), DWORD(BrowseDown), DWORD(BrowseTo), DWORD(0), DWORD(7)}) {
        for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", L"Float.Thickness"}) {
            EXPECT_EQ(RaisedCode([&] { ChangeBrowsePosition(server.Space(), position, direction, path); }), E_FAIL);
        }
    }
    EXPECT_EQ(position, nullptr);
    EXPECT_EQ(server.Builds(), 0);
}

TEST_F(HierarchicalBrowse, ChangePosition)
{
    EXPECT_EQ(QueryOrganization(server.Space()), DWORD(NamespaceHierarchical));
    EXPECT_EQ(Change(BrowseUp, nullptr), E_FAIL);  // placed at the root first, then no way up
    EXPECT_EQ(position, server.Space().Root());
    EXPECT_EQ(Change(0, L"Plant"), E_INVALIDARG);
    EXPECT_EQ(Change(4, L"Plant"), E_INVALIDARG);

    EXPECT_EQ(Change(BrowseDown, L"plant"), S_OK);
    EXPECT_EQ(Where(), L"Plant");
    EXPECT_EQ(Change(BrowseDown, L"Line1"), S_OK);
    EXPECT_EQ(Where(), L"Plant.Line1");
    EXPECT_EQ(Change(BrowseUp, L"ignored"), S_OK);
    EXPECT_EQ(Where(), L"Plant");
    EXPECT_EQ(Change(BrowseUp, nullptr), S_OK);
    EXPECT_EQ(position, server.Space().Root());
    EXPECT_EQ(Change(BrowseDown, L"Plant.Line2"), S_OK);  // several levels at once
    EXPECT_EQ(Where(), L"Plant.Line2");

    for (const wchar_t* bad : {static_cast<const wchar_t*>(nullptr), L"", L"Speed", L"Plant", L"Nowhere"})
        EXPECT_EQ(Change(BrowseDown, bad), E_INVALIDARG);
    EXPECT_EQ(Where(), L"Plant.Line2");  // a failed change leaves the position

    EXPECT_EQ(Change(BrowseTo, L"A.b"), S_OK);
    EXPECT_EQ(Where(), L"A.B");
    EXPECT_EQ(Change(BrowseTo, L"A.B.C"), E_INVALIDARG);  // a leaf
    EXPECT_EQ(Change(BrowseTo, L"B"), E_INVALIDARG);      // To starts from the root
    EXPECT_EQ(Change(BrowseTo, L""), S_OK);
    EXPECT_EQ(position, server.Space().Root());
    EXPECT_EQ(Change(BrowseTo, L"Area"), S_OK);
    EXPECT_EQ(Change(BrowseTo, nullptr), S_OK);
    EXPECT_EQ(position, server.Space().Root());
    EXPECT_EQ(server.Builds(), 1);
}

TEST_F(HierarchicalBrowse, BranchLeafAndFlatListings)
{
    EXPECT_EQ(Browse(BrowseBranch), (Names{L"A", L"Area", L"Plant"}));
    EXPECT_EQ(Browse(BrowseLeaf), (Names{L"Status"}));
    // Flat: depth first, each branch entered at its place among the leaves.
    const Names everything = {L"A.B.C",           L"Area.Valve",        L"Plant.Alarm", L"Plant.Line1.Speed",
                              L"Plant.Line1.Temp", L"Plant.Line2.Speed", L"Plant.Mode",  L"Status"};
    EXPECT_EQ(Browse(BrowseFlat), everything);
    // The mask sees full paths; branches are entered even when they do not match it.
    EXPECT_EQ(Browse(BrowseFlat, L"*.speed"), (Names{L"Plant.Line1.Speed", L"Plant.Line2.Speed"}));
    EXPECT_EQ(Browse(BrowseFlat, L"", VT_R8), (Names{L"A.B.C", L"Plant.Line1.Speed", L"Plant.Line2.Speed"}));

    ASSERT_EQ(Change(BrowseDown, L"Plant"), S_OK);
    EXPECT_EQ(Browse(BrowseBranch), (Names{L"Line1", L"Line2"}));
    EXPECT_EQ(Browse(BrowseBranch, L"*2"), (Names{L"Line2"}));
    // Branches are filtered by the mask only.
    EXPECT_EQ(Browse(BrowseBranch, L"L*", VT_BSTR, OPC_WRITEABLE), (Names{L"Line1", L"Line2"}));
    EXPECT_EQ(Browse(BrowseLeaf), (Names{L"Alarm", L"Mode"}));
    EXPECT_EQ(Browse(BrowseLeaf, L"", VT_EMPTY, OPC_WRITEABLE), (Names{L"Mode"}));
    EXPECT_EQ(Browse(BrowseFlat, L"*.L*"), (Names{L"Plant.Line1.Speed", L"Plant.Line1.Temp", L"Plant.Line2.Speed"}));
    EXPECT_EQ(RaisedCode([&] { Browse(BrowseBranch, L"[]"); }), OPC_E_INVALIDFILTER);
}

TEST_F(HierarchicalBrowse, CustomMatcherReplacesTheDefault)
{
    Names seen;
    auto record = [&](std::wstring_view mask, TAccessRights, VARTYPE, std::wstring_view name, TAccessRights, VARTYPE) {
        seen.emplace_back(name);
        return mask == name;  // exact match, no wildcards
    };
    EXPECT_EQ(BrowseItemIds(server.Space(), position, BrowseFlat, L"Status", VT_EMPTY, 0, record), Names{L"Status"});
    EXPECT_EQ(seen.size(), 8u);  // every leaf, none of the branches
    EXPECT_EQ(BrowseItemIds(server.Space(), position, BrowseFlat, L"[", VT_EMPTY, 0, record), Names{});
}

TEST_F(HierarchicalBrowse, GetItemIdQualifiesFromThePositionOrTheRoot)
{
    ASSERT_EQ(Change(BrowseTo, L"A.B"), S_OK);
    auto itemId = [&](const wchar_t* id) { return GetItemId(server.Space(), position, id); };
    EXPECT_EQ(itemId(L"C"), L"A.B.C");
    EXPECT_EQ(itemId(L"c"), L"A.B.C");  // letter case as stored in the tree
    EXPECT_EQ(itemId(L"plant.line1.speed"), L"Plant.Line1.Speed");
    EXPECT_EQ(itemId(L"a.b"), L"A.B");  // a branch has an ID too
    EXPECT_EQ(itemId(L""), L"");
    EXPECT_EQ(itemId(nullptr), std::nullopt);
    for (const wchar_t* bad : {L"Speed", L"A.B.", L"Plant.Line1.Speed.X", L"B.C"})
        EXPECT_EQ(RaisedCode([&] { itemId(bad); }), E_INVALIDARG);
    EXPECT_EQ(Where(), L"A.B");
}
