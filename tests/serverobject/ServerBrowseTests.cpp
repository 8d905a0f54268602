// Browsing the address space through the server object's
// IOPCBrowseServerAddressSpace, in a flat and in a hierarchical space.
#include "host/ClientList.h"
#include "ServerTestSupport.h"

namespace {

class BrowseFixture : public ServerObjectTest {
protected:
    // BrowseOPCItemIDs; the names listed, or "<no enumerator>".
    TNames Browse(OPCBROWSETYPE type, const wchar_t* mask = L"", VARTYPE vt = VT_EMPTY, DWORD rights = 0,
                  HRESULT expected = S_OK, IOPCBrowseServerAddressSpace* client = nullptr)
    {
        ComPtr<IEnumString> names;
        EXPECT_EQ((client ? client : browse.Get())->BrowseOPCItemIDs(type, mask, vt, rights, names.GetAddressOf()),
                  expected);
        if (!names) return {L"<no enumerator>"};
        return Drain(names.Get());
    }

    // GetItemID; the ID, or "<none>" when no string came back.
    std::wstring ItemId(const wchar_t* dataId, HRESULT expected = S_OK)
    {
        TaskOut<wchar_t> id;
        EXPECT_EQ(browse->GetItemID(const_cast<LPWSTR>(dataId), id.put()), expected);
        return id.value ? std::wstring(id.value) : std::wstring(L"<none>");
    }

    ComPtr<IOPCBrowseServerAddressSpace> browse = Connect<IOPCBrowseServerAddressSpace>();
};

// ---- Flat space ----

class BrowseTest : public BrowseFixture {
protected:
    BrowseTest()
    {
        // Sorts first only when letter case is ignored.
        items.AddItem(L"float.Auxiliary", MakeR8(0.5));
    }
};

TEST_F(BrowseTest, FlatBrowseListsEveryItemIdInCaseInsensitiveOrder)
{
    const TNames all{L"float.Auxiliary", Pressure, Rate, Layer, Start, Operator};
    EXPECT_EQ(Browse(OPC_FLAT), all);
    EXPECT_EQ(Browse(OPC_LEAF), all);
    EXPECT_EQ(Browse(OPC_FLAT, nullptr), all);  // a null mask is an empty one
}

TEST_F(BrowseTest, FlatSpaceHasNoBranches)
{
    EXPECT_EQ(Browse(OPC_BRANCH, L"", VT_EMPTY, 0, S_FALSE), TNames{});
    EXPECT_EQ(Browse(OPC_BRANCH, L"*", VT_EMPTY, 0, S_FALSE), TNames{});
}

TEST_F(BrowseTest, MaskTypeAndRightsFiltersNarrowTheList)
{
    EXPECT_EQ(Browse(OPC_FLAT, L"float.*"), (TNames{L"float.Auxiliary", Pressure, Rate}));
    EXPECT_EQ(Browse(OPC_LEAF, L"*LAYER"), TNames{Layer});
    EXPECT_EQ(Browse(OPC_FLAT, L"*.[!c-r]*"), (TNames{L"float.Auxiliary", Start}));
    EXPECT_EQ(Browse(OPC_FLAT, L"?nt.*"), TNames{Layer});
    EXPECT_EQ(Browse(OPC_FLAT, L"Nothing*", VT_EMPTY, 0, S_FALSE), TNames{});

    EXPECT_EQ(Browse(OPC_FLAT, L"", VT_R8), (TNames{L"float.Auxiliary", Rate}));
    EXPECT_EQ(Browse(OPC_FLAT, L"", VT_ARRAY | VT_R8, 0, S_FALSE), TNames{});
    EXPECT_EQ(Browse(OPC_FLAT, L"", VT_EMPTY, OPC_WRITEABLE), (TNames{L"float.Auxiliary", Pressure, Rate, Start, Operator}));
    EXPECT_EQ(Browse(OPC_FLAT, L"", VT_EMPTY, OPC_READABLE), (TNames{L"float.Auxiliary", Pressure, Rate, Layer, Operator}));
    EXPECT_EQ(Browse(OPC_FLAT, L"*e*", VT_BSTR, OPC_READABLE), (TNames{Pressure, Operator}));
}

TEST_F(BrowseTest, MalformedMaskGivesInvalidFilterAndNoEnumerator)
{
    EXPECT_EQ(Browse(OPC_FLAT, L"[", VT_EMPTY, 0, OPC_E_INVALIDFILTER), TNames{L"<no enumerator>"});
    EXPECT_EQ(Browse(OPC_LEAF, L"Float.[]", VT_EMPTY, 0, OPC_E_INVALIDFILTER), TNames{L"<no enumerator>"});
}

TEST_F(BrowseTest, OutOfRangeFilterTypeOrRightsAreRefusedBeforeTheTreeIsBuilt)
{
    for (DWORD type : {0u, 4u, 0xFFFFFFFFu})
        EXPECT_EQ(Browse(static_cast<OPCBROWSETYPE>(type), L"", VT_EMPTY, 0, E_INVALIDARG), TNames{L"<no enumerator>"});
    for (DWORD rights : {4u, 0xFFFFFFFFu})
        EXPECT_EQ(Browse(OPC_FLAT, L"", VT_EMPTY, rights, E_INVALIDARG), TNames{L"<no enumerator>"});
    EXPECT_EQ(items.buildCalls, 0);
}

TEST_F(BrowseTest, GetItemIdInFlatSpaceReturnsTheIdAsWritten)
{
    EXPECT_EQ(ItemId(L"float.chamber PRESSURE"), L"float.chamber PRESSURE");
    EXPECT_EQ(ItemId(Layer), Layer);
    EXPECT_EQ(ItemId(L"Float.Chamber", E_INVALIDARG), L"<none>");
    EXPECT_EQ(ItemId(L""), L"");
    EXPECT_EQ(ItemId(nullptr), L"<none>");
}

TEST_F(BrowseTest, ChangeBrowsePositionFailsInFlatSpaceWhateverTheArguments)
{
    for (DWORD direction : {0u, 1u, 2u, 3u, 9u})
        EXPECT_EQ(browse->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(direction), L"Float"), E_FAIL);
    EXPECT_EQ(browse->ChangeBrowsePosition(OPC_BROWSE_TO, nullptr), E_FAIL);
}

TEST_F(BrowseTest, TreeIsBuiltOnceOnTheFirstBrowseNotByQueryOrganization)
{
    OPCNAMESPACETYPE type = OPC_NS_HIERARCHIAL;
    ASSERT_EQ(browse->QueryOrganization(&type), S_OK);
    EXPECT_EQ(type, OPC_NS_FLAT);
    EXPECT_EQ(items.buildCalls, 0);

    Browse(OPC_FLAT);
    EXPECT_EQ(items.buildCalls, 1);
    ComPtr<IOPCBrowseServerAddressSpace> other = Connect<IOPCBrowseServerAddressSpace>();
    Browse(OPC_LEAF, L"", VT_EMPTY, 0, S_OK, other.Get());
    ItemId(Rate);
    EXPECT_EQ(items.buildCalls, 1);
}

TEST_F(BrowseTest, AccessPathsAreNotOffered)
{
    ComPtr<IEnumString> paths;
    *paths.GetAddressOf() = reinterpret_cast<IEnumString*>(1);
    EXPECT_EQ(browse->BrowseAccessPaths(Rate, paths.GetAddressOf()), E_NOTIMPL);
    EXPECT_EQ(paths.Get(), nullptr);
}

// ---- Hierarchical space ----

class HierarchicalBrowseTest : public BrowseFixture {
protected:
    HierarchicalBrowseTest()
    {
        items.options = OptionBit(TServerOption::HierarchicalAddressSpace);
        items.AddItem(L"Pump.Motor.Current", MakeR8(2.5));
        items.AddItem(L"Pump.Speed", MakeI4(1450));
    }

    HRESULT Move(OPCBROWSEDIRECTION direction, const wchar_t* path = nullptr, IOPCBrowseServerAddressSpace* client = nullptr)
    {
        return (client ? client : browse.Get())->ChangeBrowsePosition(direction, path);
    }
    TNames Branches(HRESULT expected = S_OK) { return Browse(OPC_BRANCH, L"", VT_EMPTY, 0, expected); }
    TNames Leaves(HRESULT expected = S_OK) { return Browse(OPC_LEAF, L"", VT_EMPTY, 0, expected); }
};

TEST_F(HierarchicalBrowseTest, RootHoldsTheFirstSegmentsAsBranches)
{
    OPCNAMESPACETYPE type = OPC_NS_FLAT;
    ASSERT_EQ(browse->QueryOrganization(&type), S_OK);
    EXPECT_EQ(type, OPC_NS_HIERARCHIAL);
    EXPECT_EQ(Branches(), (TNames{L"Float", L"Int", L"Pump", L"Remote", L"Text"}));
    EXPECT_EQ(Leaves(S_FALSE), TNames{});
    EXPECT_EQ(Browse(OPC_BRANCH, L"p*"), TNames{L"Pump"});
}

TEST_F(HierarchicalBrowseTest, DownUpAndToMoveThePosition)
{
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"pump"), S_OK);
    EXPECT_EQ(Branches(), TNames{L"Motor"});
    EXPECT_EQ(Leaves(), TNames{L"Speed"});

    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Motor"), S_OK);
    EXPECT_EQ(Leaves(), TNames{L"Current"});
    EXPECT_EQ(Branches(S_FALSE), TNames{});

    ASSERT_EQ(Move(OPC_BROWSE_UP), S_OK);
    EXPECT_EQ(Leaves(), TNames{L"Speed"});
    ASSERT_EQ(Move(OPC_BROWSE_UP), S_OK);
    EXPECT_EQ(Branches().size(), 5u);
    EXPECT_EQ(Move(OPC_BROWSE_UP), E_FAIL);  // already at the root

    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump.Motor"), S_OK);  // two levels at once
    EXPECT_EQ(Leaves(), TNames{L"Current"});
    ASSERT_EQ(Move(OPC_BROWSE_TO, L"Float"), S_OK);  // from the root, wherever the position is
    EXPECT_EQ(Leaves(), (TNames{L"Chamber Pressure", L"Rate Measured"}));
    ASSERT_EQ(Move(OPC_BROWSE_TO, L""), S_OK);
    EXPECT_EQ(Branches().size(), 5u);
    ASSERT_EQ(Move(OPC_BROWSE_TO, L"Pump"), S_OK);
    ASSERT_EQ(Move(OPC_BROWSE_TO, nullptr), S_OK);
    EXPECT_EQ(Branches().size(), 5u);
}

TEST_F(HierarchicalBrowseTest, MovesToWhatIsNoBranchAreRefusedAndLeaveThePosition)
{
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump"), S_OK);
    EXPECT_EQ(Move(OPC_BROWSE_DOWN, L"Speed"), E_INVALIDARG);  // a leaf
    EXPECT_EQ(Move(OPC_BROWSE_DOWN, L"Valve"), E_INVALIDARG);
    EXPECT_EQ(Move(OPC_BROWSE_DOWN, L""), E_INVALIDARG);
    EXPECT_EQ(Move(OPC_BROWSE_DOWN, nullptr), E_INVALIDARG);
    EXPECT_EQ(Move(OPC_BROWSE_TO, L"Motor"), E_INVALIDARG);  // not below the root
    EXPECT_EQ(Move(OPC_BROWSE_TO, L"Pump.Speed"), E_INVALIDARG);
    EXPECT_EQ(Move(static_cast<OPCBROWSEDIRECTION>(0), L"Motor"), E_INVALIDARG);
    EXPECT_EQ(Move(static_cast<OPCBROWSEDIRECTION>(4), L"Motor"), E_INVALIDARG);
    EXPECT_EQ(Leaves(), TNames{L"Speed"});
}

TEST_F(HierarchicalBrowseTest, FlatBrowseListsFullPathsBelowThePositionDepthFirst)
{
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump"), S_OK);
    EXPECT_EQ(Browse(OPC_FLAT), (TNames{L"Pump.Motor.Current", L"Pump.Speed"}));
    EXPECT_EQ(Browse(OPC_FLAT, L"*.Speed"), TNames{L"Pump.Speed"});
}

TEST_F(HierarchicalBrowseTest, GetItemIdLooksFromThePositionThenFromTheRoot)
{
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump"), S_OK);
    EXPECT_EQ(ItemId(L"speed"), L"Pump.Speed");  // the tree's letter case
    EXPECT_EQ(ItemId(L"Motor"), L"Pump.Motor");  // a branch has an ID too
    EXPECT_EQ(ItemId(L"Motor.Current"), L"Pump.Motor.Current");
    EXPECT_EQ(ItemId(L"int.layer"), Layer);
    EXPECT_EQ(ItemId(L"Current", E_INVALIDARG), L"<none>");
}

TEST_F(HierarchicalBrowseTest, EveryClientHasItsOwnPosition)
{
    ComPtr<IOPCBrowseServerAddressSpace> other = Connect<IOPCBrowseServerAddressSpace>();
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump"), S_OK);
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Float", other.Get()), S_OK);
    EXPECT_EQ(Leaves(), TNames{L"Speed"});
    EXPECT_EQ(Browse(OPC_LEAF, L"", VT_EMPTY, 0, S_OK, other.Get()),
              (TNames{L"Chamber Pressure", L"Rate Measured"}));
}

TEST_F(HierarchicalBrowseTest, PositionSurvivesARebuildByItsPath)
{
    ASSERT_EQ(Move(OPC_BROWSE_DOWN, L"Pump.Motor"), S_OK);
    items.AddItem(L"Pump.Motor.Voltage", MakeR8(230.0));
    items.RebuildAddressSpace(false);
    EXPECT_EQ(items.buildCalls, 2);
    EXPECT_EQ(Leaves(), (TNames{L"Current", L"Voltage"}));
    ASSERT_EQ(Move(OPC_BROWSE_UP), S_OK);
    EXPECT_EQ(Leaves(), TNames{L"Speed"});
}

TEST_F(HierarchicalBrowseTest, AnAddressSpaceTheItemServerCannotBuildFailsTheBrowse)
{
    items.AddItem(L"Pump", MakeR8(1.0));  // a leaf where Pump.Speed needs a branch
    EXPECT_EQ(Browse(OPC_BRANCH, L"", VT_EMPTY, 0, E_FAIL), TNames{L"<no enumerator>"});
    EXPECT_EQ(items.buildCalls, 1);
}

// ---- Browsing switched off ----

class NoBrowseInterfaceTest : public ServerObjectTest {
protected:
    NoBrowseInterfaceTest() { items.options = OptionBit(TServerOption::NoBrowseInterface); }
};

TEST_F(NoBrowseInterfaceTest, TheBrowseInterfaceIsRefused)
{
    ComPtr<IOPCServer> server = Connect();
    void* browse = reinterpret_cast<void*>(1);
    EXPECT_EQ(server->QueryInterface(__uuidof(IOPCBrowseServerAddressSpace), &browse), E_NOINTERFACE);
    EXPECT_EQ(browse, nullptr);
    EXPECT_EQ(As<ISupportErrorInfo>(server.Get())->InterfaceSupportsErrorInfo(__uuidof(IOPCBrowseServerAddressSpace)),
              S_FALSE);
    // The other interfaces stay.
    EXPECT_TRUE(As<IOPCItemProperties>(server.Get()));
}

TEST_F(NoBrowseInterfaceTest, AClientAskingTheFactoryForItGetsNoObject)
{
    const long before = ServerObjectCount::Value();
    void* browse = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IOPCBrowseServerAddressSpace), &browse), E_NOINTERFACE);
    EXPECT_EQ(browse, nullptr);
    EXPECT_EQ(ServerObjectCount::Value(), before);
    EXPECT_EQ(items.ClientList().Count(), 0u);
}

}  // namespace
