// Building the tree, finding paths, and rebuilding with client positions.
#include <gtest/gtest.h>

#include "AddrTestSupport.h"

namespace {

constexpr TAccessRights RW = TAccessRights::ReadWrite();

std::vector<TItemDecl> PlantItems()
{
    return {{L"Plant.Line1.Speed", RW, VT_R8}, {L"Plant.Line1.Temp", RW, VT_R8}, {L"Plant.Mode", RW, VT_I4},
            {L"Plant.Line2.Speed", RW, VT_R8}, {L"Plant.Alarm", TAccessRights::ReadOnly(), VT_BOOL},
            {L"Area.Valve", RW, VT_BOOL},      {L"Status", RW, VT_BSTR}};
}

}  // namespace

TEST(AddressSpaceTree, HierarchicalIdBecomesBranchesAndLeaf)
{
    TAddressSpace space({true, L'.', false});
    TItemIdList& root = space.EnsureRoot();
    TNamespaceNode& c = AddItemId(root, L"A.B.C", TAccessRights::ReadOnly(), VT_R4);

    TItemIdList* a = AsBranch(root.Find(L"A"));
    ASSERT_NE(a, nullptr);
    TItemIdList* b = AsBranch(a->Find(L"b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(&c, b->Find(L"C"));
    ASSERT_NE(AsLeaf(&c), nullptr);
    EXPECT_EQ(AsLeaf(&c)->AccessRights(), TAccessRights::ReadOnly());
    EXPECT_EQ(AsLeaf(&c)->CanonicalType(), VT_R4);
    EXPECT_EQ(c.Parent(), b);
    EXPECT_EQ(b->Parent(), a);
    EXPECT_EQ(a->Parent(), &root);
    EXPECT_EQ(root.Parent(), nullptr);
    EXPECT_EQ(FullPath(c), L"A.B.C");
    EXPECT_EQ(FullPath(*b), L"A.B");
    EXPECT_EQ(FullPath(root), L"");

    EXPECT_EQ(MessageOf<EListError>([&] { AddItemId(root, L"A.B.C", RW, VT_R8); }), "Duplicate Item Id C");
    EXPECT_EQ(MessageOf<EListError>([&] { AddItemId(root, L"a.b.c", RW, VT_R8); }), "Duplicate Item Id c");
    EXPECT_EQ(MessageOf<EOpcServer>([&] { NewBranch(*b, L"C"); }), "C is an invalid branch name");
    EXPECT_EQ(MessageOf<EOpcServer>([&] { AddItemId(root, L"A.B.C.D", RW, VT_R8); }), "C is an invalid branch name");
    EXPECT_EQ(&NewBranch(root, L"a"), a);  // an existing branch is returned, whatever the case
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(b->ChildCount(), 1);
}

TEST(AddressSpaceTree, EmptySegmentsMakeEmptyNames)
{
    TAddressSpace space({true, L'/', false});
    TItemIdList& root = space.EnsureRoot();
    TNamespaceNode& y = AddItemId(root, L"X//Y", RW, VT_I4);
    TNamespaceNode& trailing = AddItemId(root, L"T/", RW, VT_I4);

    TItemIdList* x = AsBranch(root.Find(L"X"));
    ASSERT_NE(x, nullptr);
    TItemIdList* unnamed = AsBranch(x->Find(L""));
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->Find(L"Y"), &y);
    EXPECT_EQ(FindPath(root, L"X//Y"), &y);
    // A full path stops at the first ancestor without a name.
    EXPECT_EQ(FullPath(y), L"Y");

    EXPECT_TRUE(trailing.Name().empty());
    EXPECT_NE(AsLeaf(&trailing), nullptr);
    EXPECT_EQ(trailing.Parent(), root.Find(L"T"));
    EXPECT_EQ(FindPath(root, L"T/"), nullptr);  // a path ending in the separator names nothing
}

TEST(AddressSpaceTree, FlatSpaceKeepsWholeIdsAndRefusesBranches)
{
    TAddressSpace space;
    TItemIdList& root = space.EnsureRoot();
    TNamespaceNode& leaf = AddItemId(root, L"Float.Chamber Pressure", RW, VT_BSTR);
    EXPECT_EQ(leaf.Parent(), &root);
    EXPECT_EQ(leaf.Name(), L"Float.Chamber Pressure");
    EXPECT_EQ(FullPath(leaf), L"Float.Chamber Pressure");
    EXPECT_EQ(FindPath(root, L"FLOAT.chamber pressure"), &leaf);
    EXPECT_EQ(FindPath(root, L"Float"), nullptr);
    EXPECT_EQ(MessageOf<EOpcServer>([&] { NewBranch(root, L"Float"); }), "Cannot call NewBranch in flat address space");
    EXPECT_EQ(MessageOf<EListError>([&] { AddItemId(root, L"float.chamber pressure", RW, VT_BSTR); }),
              "Duplicate Item Id float.chamber pressure");
}

TEST(AddressSpaceTree, KeepExistingReturnsTheNodeFound)
{
    TAddressSpace space({true, L'.', false});
    TItemIdList& root = space.EnsureRoot();
    TNamespaceNode& c = AddItemId(root, L"A.B.C", TAccessRights::ReadOnly(), VT_R4);
    space.SetKeepExisting(true);
    TNamespaceNode& again = AddItemId(root, L"a.B.c", RW, VT_R8);
    EXPECT_EQ(&again, &c);
    EXPECT_EQ(AsLeaf(&again)->CanonicalType(), VT_R4);  // the first declaration stays
    EXPECT_EQ(&AddItemId(root, L"A.B", RW, VT_R8), root.Find(L"A")->ChildAt(0));
    EXPECT_EQ(root.Find(L"A")->ChildCount(), 1);
}

TEST(AddressSpaceTree, FindPathWalksBranchesOnly)
{
    TTestItemServer server(true, PlantItems());
    TItemIdList* position = nullptr;
    AddressSpaceRoot(server.Space(), position);
    TItemIdList& root = *server.Space().Root();

    TNamespaceNode* plant = FindPath(root, L"plant");
    ASSERT_NE(AsBranch(plant), nullptr);
    EXPECT_EQ(FullPath(*FindPath(root, L"Plant.Line1.Temp")), L"Plant.Line1.Temp");
    EXPECT_EQ(FindPath(*plant, L"Line1.Temp"), FindPath(root, L"PLANT.LINE1.TEMP"));
    EXPECT_EQ(FindPath(root, L"Plant.Mode.X"), nullptr);  // Mode is a leaf
    EXPECT_EQ(FindPath(root, L"Plant.Nothing"), nullptr);
    EXPECT_EQ(FindPath(root, L""), nullptr);
    EXPECT_EQ(FindPath(root, L"Plant."), nullptr);
    EXPECT_EQ(FindPath(*FindPath(root, L"Status"), L"x"), nullptr);  // from a leaf
    EXPECT_EQ(ChildNames(*plant), (std::vector<std::wstring>{L"Alarm", L"Line1", L"Line2", L"Mode"}));

    ClearNodes(*AsBranch(plant));
    EXPECT_EQ(plant->ChildCount(), 0);
    EXPECT_EQ(FindPath(root, L"Plant.Mode"), nullptr);
    EXPECT_NE(FindPath(root, L"Area.Valve"), nullptr);
}

TEST(AddressSpaceLifecycle, BuiltOnceOnFirstUse)
{
    TTestItemServer server(true, PlantItems());
    EXPECT_EQ(server.Space().Root(), nullptr);
    TItemIdList*& first = server.Client(0);
    TItemIdList*& second = server.Client(1);

    AddressSpaceRoot(server.Space(), first);
    EXPECT_EQ(server.Builds(), 1);
    ASSERT_NE(server.Space().Root(), nullptr);
    EXPECT_EQ(first, server.Space().Root());
    EXPECT_EQ(second, nullptr);  // built for one client, the other is placed on its own first call

    second = AsBranch(FindPath(*server.Space().Root(), L"Area"));
    AddressSpaceRoot(server.Space(), second);
    AddressSpaceRoot(server.Space(), first);
    EXPECT_EQ(server.Builds(), 1);
    EXPECT_EQ(FullPath(*second), L"Area");
}

TEST(AddressSpaceLifecycle, RebuildKeepsPositionsByPath)
{
    TTestItemServer server(true, PlantItems());
    TItemIdList*& line1 = server.Client(0);
    TItemIdList*& area = server.Client(1);
    TItemIdList*& none = server.Client(2);
    TItemIdList*& atRoot = server.Client(3);
    AddressSpaceRoot(server.Space(), line1);
    line1 = AsBranch(FindPath(*server.Space().Root(), L"Plant.Line1"));
    area = AsBranch(FindPath(*server.Space().Root(), L"Area"));
    atRoot = server.Space().Root();

    server.Rebuild(false);
    EXPECT_EQ(server.Builds(), 2);
    ASSERT_NE(line1, nullptr);
    EXPECT_EQ(FullPath(*line1), L"Plant.Line1");
    EXPECT_EQ(line1, FindPath(*server.Space().Root(), L"Plant.Line1"));
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area, FindPath(*server.Space().Root(), L"Area"));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(atRoot, nullptr);  // the next browse call puts it back at the root
    AddressSpaceRoot(server.Space(), atRoot);
    EXPECT_EQ(atRoot, server.Space().Root());

    // Line1 disappears: its client loses the position, the other keeps its own.
    server.SetItems({{L"Plant.Line2.Speed", RW, VT_R8}, {L"Area.Valve", RW, VT_BOOL}});
    server.Rebuild(false);
    EXPECT_EQ(line1, nullptr);
    EXPECT_EQ(area, FindPath(*server.Space().Root(), L"Area"));
    EXPECT_EQ(FindPath(*server.Space().Root(), L"Status"), nullptr);  // old nodes were cleared
    EXPECT_FALSE(server.Space().KeepExisting());
}

TEST(AddressSpaceLifecycle, RebuildKeepingExistingAddsToTheTree)
{
    TTestItemServer server(true, PlantItems());
    TItemIdList* position = nullptr;
    AddressSpaceRoot(server.Space(), position);
    TNamespaceNode* mode = FindPath(*server.Space().Root(), L"Plant.Mode");

    server.SetItems({{L"Plant.Mode", RW, VT_I4}, {L"Plant.Extra", RW, VT_I4}});
    server.Rebuild(true);
    EXPECT_TRUE(server.Space().KeepExisting());
    EXPECT_EQ(FindPath(*server.Space().Root(), L"Plant.Mode"), mode);  // same node, not rebuilt
    EXPECT_NE(FindPath(*server.Space().Root(), L"Plant.Extra"), nullptr);
    EXPECT_NE(FindPath(*server.Space().Root(), L"Status"), nullptr);

    // Without keep-existing a build that repeats an ID fails, and the failure
    // leaves every position empty rather than pointing into the tree.
    server.SetItems({{L"Plant.Mode", RW, VT_I4}, {L"Plant.Mode", RW, VT_I4}});
    TItemIdList*& client = server.Client(0);
    client = AsBranch(FindPath(*server.Space().Root(), L"Plant"));
    EXPECT_EQ(MessageOf<EListError>([&] { server.Rebuild(false); }), "Duplicate Item Id Mode");
    EXPECT_EQ(client, nullptr);
    EXPECT_FALSE(server.Space().KeepExisting());
}
