// The DA 1.0 blocks byte by byte, read back with a parser written from the
// layout alone.
#include <gtest/gtest.h>

#include <cstring>

#include "Da1Blocks.h"
#include "TestValues.h"
#include "group/DataStream.h"
#include "opcda.h"

namespace {

std::vector<uint8_t> Block(HGLOBAL block)
{
    std::vector<uint8_t> bytes = da1::BytesOf(block);
    GlobalFree(block);
    return bytes;
}

TEST(DataStream, HeaderSizesAndValueOffsetsWithAndWithoutTimestamps)
{
    struct TCase {
        bool timestamps;
        uint32_t size, first, second;
    };
    for (const TCase c : {TCase{false, 76, 44, 60}, TCase{true, 92, 60, 76}}) {
        SCOPED_TRACE(c.timestamps);
        TDataChangeStream stream(c.timestamps, false, 2, 0x11, 0x22);
        stream.BeginItem(0, 7, OPC_QUALITY_GOOD);
        stream.SetItemTimestamp(0, FILETIME{0x01020304, 0x05060708});
        stream.AppendValue(MakeI4(-5).get());
        stream.BeginItem(1, 8, OPC_QUALITY_GOOD);
        stream.AppendValue(MakeI4(9).get());
        const std::vector<uint8_t> bytes = Block(stream.Finish());
        const TParsedDataBlock block = da1::ParseDataBlock(bytes, c.timestamps);
        EXPECT_EQ(block.size, c.size);
        EXPECT_GE(bytes.size(), c.size);
        EXPECT_EQ(block.count, 2u);
        EXPECT_EQ(block.group, 0x11u);
        EXPECT_EQ(block.transactionId, 0x22u);
        EXPECT_EQ(block.status, 0u);
        ASSERT_EQ(block.items.size(), 2u);
        EXPECT_EQ(block.items[0].valueOffset, c.first);
        EXPECT_EQ(block.items[1].valueOffset, c.second);
        EXPECT_EQ(block.items[0].hClient, 7u);
        EXPECT_EQ(block.items[0].value.vt, VT_I4);
        EXPECT_EQ(da1::U32(block.items[0].value.image, 8), static_cast<uint32_t>(-5));
        EXPECT_EQ(block.items[0].value.recordSize, 16u);
        EXPECT_EQ(block.items[0].stamp, c.timestamps ? 0x0506070801020304ull : 0u);
        EXPECT_EQ(block.items[1].stamp, 0u);
    }
}

TEST(DataStream, StringsCountTheirBytesWithOrWithoutTheTerminator)
{
    for (bool counted : {false, true}) {
        SCOPED_TRACE(counted);
        TDataChangeStream stream(false, counted, 2, 1, 0);
        stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
        stream.AppendValue(MakeBstr(L"abc").get());
        stream.BeginItem(1, 2, OPC_QUALITY_GOOD);
        stream.AppendValue(MakeBstr(L"").get());
        const std::vector<uint8_t> bytes = Block(stream.Finish());
        const TParsedDataBlock block = da1::ParseDataBlock(bytes, false, counted);
        const TParsedValue& abc = block.items.at(0).value;
        EXPECT_EQ(abc.recordSize, 28u) << "16 + 4 + 3 characters + terminator";
        EXPECT_EQ(abc.stringByteCount, counted ? 8u : 6u);
        EXPECT_EQ(abc.text, L"abc");
        EXPECT_EQ(da1::U32(abc.image, 8), 0u) << "no pointer crosses";
        EXPECT_EQ(block.items[1].value.stringByteCount, counted ? 2u : 0u);
        EXPECT_EQ(block.items[1].value.recordSize, 22u);
        EXPECT_EQ(block.size, 20u + 2 * 12 + 28 + 22);
    }
}

TEST(DataStream, ArraysCarryTheir32BitDescriptorAndTheirElements)
{
    TDataChangeStream stream(true, false, 2, 1, 0);
    stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
    stream.AppendValue(MakeR8Array({1.5, -2.0, 3.25}).get());
    stream.BeginItem(1, 2, 0x40);
    stream.AppendValue(MakeBstrArray({L"x", L"yz"}).get());
    const TParsedDataBlock block = da1::ParseDataBlock(Block(stream.Finish()), true);
    EXPECT_EQ(block.status, 1u) << "one quality is not exactly good";

    const TParsedValue& numbers = block.items.at(0).value;
    EXPECT_EQ(numbers.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(numbers.recordSize, 64u) << "16 + 24 + 3 x 8";
    EXPECT_EQ(numbers.cDims, 1u);
    EXPECT_EQ(numbers.cbElements, 8u);
    EXPECT_EQ(numbers.pvData, 0u);
    EXPECT_EQ(numbers.cElements, 3u);
    EXPECT_EQ(numbers.lLbound, 0);
    double read[3] = {};
    ASSERT_EQ(numbers.raw.size(), sizeof read);
    std::memcpy(read, numbers.raw.data(), sizeof read);
    EXPECT_EQ(read[1], -2.0);

    const TParsedValue& texts = block.items.at(1).value;
    EXPECT_EQ(texts.cbElements, 4u) << "a string element is a 32-bit pointer there";
    EXPECT_EQ(texts.strings, (std::vector<std::wstring>{L"x", L"yz"}));
    EXPECT_EQ(texts.recordSize, 16u + 24 + (4 + 4) + (4 + 6));
    EXPECT_EQ(block.items[1].quality, 0x40);
}

TEST(DataStream, WriteCompletionBlockHasOneEntryPerItem)
{
    const std::vector<uint8_t> bytes =
        Block(BuildWriteCompleteBlock(0x33, 0x44, {5, 0}, {S_OK, static_cast<HRESULT>(OPC_E_INVALIDHANDLE)}));
    ASSERT_GE(bytes.size(), 32u);
    const TParsedWriteBlock block = da1::ParseWriteBlock(bytes);
    EXPECT_EQ(block.count, 2u);
    EXPECT_EQ(block.group, 0x33u);
    EXPECT_EQ(block.transactionId, 0x44u);
    EXPECT_EQ(block.status, 0u) << "the status says nothing about the items";
    EXPECT_EQ(block.items[0], std::make_pair(5u, 0u));
    EXPECT_EQ(block.items[1], std::make_pair(0u, static_cast<uint32_t>(OPC_E_INVALIDHANDLE)));
}

}  // namespace
