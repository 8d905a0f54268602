// The item server as the core sees it: resolution and the canonical type
// through the item cache, writes converted by the core, the browse tree.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "com/TextUtil.h"
#include "addrspace/AddressSpace.h"
#include "registration/ComServer.h"
#include "cache/ItemCache.h"
#include "ItemServerTestUtil.h"
#include "OpcServer.h"
#include "ZEV30.h"
#include "ZevCatalogue.h"

namespace {

class ZEV30Test : public ::testing::Test {
protected:
    std::unique_ptr<TZEV30> zev = std::make_unique<TZEV30>();

    std::wstring ReadThroughCore(const std::wstring& itemId)
    {
        TServerItemRefPtr item = LookupItemRef(itemId);
        UniqueVariant value;
        WORD quality = 0;
        ReadServerItem(*item, value, quality);
        EXPECT_EQ(quality, QualityGood);
        return TextOf(value.get());
    }
    void WriteThroughCore(const std::wstring& itemId, const VARIANT& value)
    {
        TServerItemRefPtr item = LookupItemRef(itemId);
        WriteServerItem(*item, value);
    }
};

}  // namespace

TEST_F(ZEV30Test, EveryItemResolvesReadableWritableAsAString)
{
    for (int handle = 1; handle <= ZevItemCount; ++handle) {
        TServerItemRefPtr item = LookupItemRef(std::wstring(ZevCatalogueEntry(handle).ItemId));
        EXPECT_EQ(item->Handle(), handle);
        EXPECT_EQ(item->AccessRights(), OPC_READABLE | OPC_WRITEABLE);
        EXPECT_EQ(item->CanonicalType(), VT_BSTR) << handle;
        EXPECT_FALSE(item->Deadband());
    }
    EXPECT_EQ(LookupItemRef(L"STRING.XTAL-1 RAWFREQ")->Handle(), 8);
    for (const wchar_t* id : {L"Flag.REM-CL-RESUME", L"", L"Float.OM Signal ", L"Float.OM\u00a0Signal"})
        EXPECT_EQ(RaisedCode([&] { LookupItemRef(id); }), OPC_E_INVALIDITEMID) << id;
}

TEST_F(ZEV30Test, ResolveSetsRightsAndLeavesThePath)
{
    std::wstring path = L"kept";
    TAccessRights rights = TAccessRights::FromOpc(0);
    EXPECT_EQ(zev->ResolveItem(L"flag.rem-cl-reset", path, rights), 131);
    EXPECT_EQ(path, L"kept");
    EXPECT_EQ(rights, TAccessRights::ReadWrite());

    zev->ReleaseItemHandle(7);
    EXPECT_EQ(zev->ResolveItem(L"String.Date And Time", path, rights), 7);
    WriteThroughCore(L"String.Date And Time", MakeBstr(L"1.2.2024 10:00").get());
    EXPECT_EQ(ReadThroughCore(L"String.Date And Time"), L"1.2.2024 10:00");
}

TEST_F(ZEV30Test, CoreConvertsWrittenNumbersToTextBeforeTheItemFormatsThem)
{
    WriteThroughCore(L"Float.Rate Measured (A/s)", MakeR8(12.36).get());
    EXPECT_EQ(ReadThroughCore(L"Float.Rate Measured (A/s)"), Local(L"12.4"));
    EXPECT_EQ(zev->ValueTable().Value(11), WideToAnsi(Local(L"12.4")));
    // Wine's double-to-text conversion writes exponent forms (2.5E-06) with a
    // point whatever the regional setting, so only there does this value make
    // the round trip.
    if (TNumberSeparators::User().Decimal == L".") {
        WriteThroughCore(L"Float.Chamber Pressure", MakeR8(0.0000025).get());
        EXPECT_EQ(ReadThroughCore(L"Float.Chamber Pressure"), L"0.0000025");
    }

    WriteThroughCore(L"Float.OM Signal", MakeI4(7).get());
    EXPECT_EQ(ReadThroughCore(L"Float.OM Signal"), Local(L"7.00"));

    EXPECT_EQ(RaisedCode([&] { WriteThroughCore(L"Float.OM Signal", MakeBstr(L"abc").get()); }),
              OPC_E_BADTYPE);
    EXPECT_EQ(ReadThroughCore(L"Float.OM Signal"), Local(L"7.00"));

    WORD quality = 0x40;
    UniqueVariant value;
    zev->ReadItemValue(118, quality, value.get());
    EXPECT_EQ(quality, 0x40);
    EXPECT_EQ(TextOf(value.get()), L"Edit1");
    EXPECT_EQ(RaisedCode([&] { zev->ReadItemValue(133, quality, *value.put()); }), OPC_E_INVALIDHANDLE);
    EXPECT_EQ(RaisedCode([&] { zev->WriteItemValue(0, MakeI4(1).get()); }), OPC_E_INVALIDHANDLE);
}

TEST_F(ZEV30Test, AttachedTableTakesTheValuesUntilDetached)
{
    zev->WriteItemValue(25, MakeBstr(L"own").get());
    TItemValueTable shown;
    zev->AttachValueTable(&shown);
    EXPECT_EQ(&zev->ValueTable(), &shown);
    EXPECT_EQ(ReadThroughCore(L"String.DM-State"), L"");
    WriteThroughCore(L"String.DM-State", MakeBstr(L"shown").get());
    EXPECT_EQ(shown.Value(24), "shown");
    zev->AttachValueTable(nullptr);
    EXPECT_EQ(ReadThroughCore(L"String.DM-State"), L"own");
}

TEST_F(ZEV30Test, BrowseTreeHoldsTheCatalogueAsFlatLeaves)
{
    TAddressSpace space;
    const auto build = [&](TItemIdList& root) { zev->BuildAddressSpace(root); };
    RebuildAddressSpace(space, false, {}, build);
    RebuildAddressSpace(space, false, {}, build);  // a rebuild gives the same tree
    TItemIdList& root = *space.Root();
    ASSERT_EQ(root.ChildCount(), ZevItemCount);
    std::set<int> handles;
    std::map<VARTYPE, int> types;
    for (int i = 0; i < root.ChildCount(); ++i) {
        const TNamespaceItem* leaf = AsLeaf(root.ChildAt(i));
        ASSERT_NE(leaf, nullptr) << i;
        const int handle = FindCatalogueHandle(leaf->Name());
        ASSERT_NE(handle, 0);
        EXPECT_EQ(leaf->Name(), ZevCatalogueEntry(handle).ItemId);
        EXPECT_EQ(leaf->AccessRights(), TAccessRights::ReadWrite());
        EXPECT_EQ(leaf->CanonicalType(), ZevCatalogueEntry(handle).PublishedType);
        handles.insert(handle);
        ++types[leaf->CanonicalType()];
    }
    EXPECT_EQ(handles.size(), 132u);
    EXPECT_EQ(types, (std::map<VARTYPE, int>{{VT_I4, 10}, {VT_R8, 22}, {VT_BSTR, 23}, {VT_BOOL, 77}}));
    EXPECT_EQ(FindPath(root, L"String.DM-State")->Name(), L"String.DM-State");
}

TEST(OpcServerModule, CreatesAndRegistersTheOneItemServer)
{
    const size_t factories = TComServer::Instance().Factories().size();
    InitializeOpcServer();
    ASSERT_NE(ZEV30(), nullptr);
    EXPECT_EQ(ItemServer(), ZEV30());
    EXPECT_EQ(ZEV30()->VendorInfo(), L"Vornhalt Quillmere ZEV-30 Server");
    std::wstring classPart;
    ZEV30()->ProgIdClassPart(ZevServerVersion, classPart);
    EXPECT_EQ(classPart, L"TZEV30.1");
    EXPECT_EQ(TComServer::Instance().Factories().size(), factories + 1);

    TZEV30* first = ZEV30();
    EXPECT_THROW(InitializeOpcServer(), EOpcServer);
    EXPECT_EQ(ZEV30(), first);
    EXPECT_EQ(ItemServer(), first);

    FinalizeOpcServer();
    EXPECT_EQ(ZEV30(), nullptr);
    EXPECT_EQ(ItemServer(), nullptr);
}
