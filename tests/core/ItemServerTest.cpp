// The item server's single instance and the defaults of its contract.
#include <gtest/gtest.h>

#include <memory>

#include "host/ServerWindow.h"
#include "cache/ServerItemList.h"
#include "FakeItemServer.h"
#include "cache/ItemCache.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"

namespace {

// Overrides only what has no default.
class TMinimalServer : public TOpcItemServer {
public:
    void ReadItemValue(LONG, WORD&, VARIANT&) override {}
    void WriteItemValue(LONG, const VARIANT&) override {}
};

TEST(ItemServer, OnlyOneInstanceAndTheFirstStaysRegistered)
{
    ASSERT_EQ(ItemServer(), nullptr);
    auto first = std::make_unique<TMinimalServer>();
    EXPECT_EQ(ItemServer(), first.get());
    try {
        TMinimalServer second;
        FAIL() << "a second item server was constructed";
    } catch (const EOpcServer& e) {
        EXPECT_STREQ(e.what(), "OPCSERV: Only one instance of namespace allowed");
    }
    EXPECT_EQ(ItemServer(), first.get());
    EXPECT_NE(first->ServerWindow().Handle(), nullptr);
    EXPECT_EQ(FindWindowW(ServerWindowClassName, nullptr), first->ServerWindow().Handle());

    first.reset();
    EXPECT_EQ(ItemServer(), nullptr);
    // The window class stays registered; a new item server still gets a window.
    TMinimalServer again;
    EXPECT_EQ(ItemServer(), &again);
    EXPECT_NE(again.ServerWindow().Handle(), nullptr);
}

TEST(ItemServer, OperationsWithoutAnItemServerRaiseItsMessage)
{
    ASSERT_EQ(ItemServer(), nullptr);
    try {
        LookupItemRef(L"Float.Chamber Pressure");
        FAIL() << "no exception";
    } catch (const EOpcServer& e) {
        EXPECT_STREQ(e.what(), "OPCSERV: No item server");
    }
}

TEST(ItemServer, DefaultsOfTheContract)
{
    TMinimalServer server;
    EXPECT_EQ(server.BranchSeparator(), L'.');
    EXPECT_EQ(server.ServerScanRate(), 20u);
    EXPECT_FALSE(server.HasOption(TServerOption::HierarchicalAddressSpace));

    std::wstring classPart;
    server.ProgIdClassPart(1, classPart);
    EXPECT_EQ(classPart, L"TMinimalServer.1");

    std::wstring text = L"old";
    server.ErrorText(OPC_E_BADTYPE, 0x0407, text);
    EXPECT_EQ(text, L"requested data type and the canonical data type.");

    // The default resolution knows no item: nothing is cached, no handle released.
    try {
        LookupItemRef(L"Float.Chamber Pressure");
        FAIL() << "no exception";
    } catch (const EOpcError& e) {
        EXPECT_EQ(e.Code(), OPC_E_INVALIDITEMID);
    }
    EXPECT_EQ(server.ItemCache().Count(), 0u);
}

TEST(ItemServer, HasOptionTestsTheBitsOfServerOptions)
{
    TFakeItemServer server;
    server.options = OptionBit(TServerOption::StrictItemHandles) | OptionBit(TServerOption::NoBrowseInterface) | 0x80;
    EXPECT_TRUE(server.HasOption(TServerOption::StrictItemHandles));
    EXPECT_TRUE(server.HasOption(TServerOption::NoBrowseInterface));
    EXPECT_FALSE(server.HasOption(TServerOption::AsyncErrorArrays));
    EXPECT_FALSE(server.HasOption(TServerOption::HierarchicalAddressSpace));
    EXPECT_TRUE(server.HasOption(7));
    EXPECT_FALSE(server.HasOption(8));
    EXPECT_FALSE(server.HasOption(-1));

    std::wstring classPart;
    server.ProgIdClassPart(3, classPart);
    EXPECT_EQ(classPart, L"TFakeItemServer.3");
}

}  // namespace
