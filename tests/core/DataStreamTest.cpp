// The DA 1.0 blocks byte by byte, read back with the reader written from the
// layout alone.
#include <gtest/gtest.h>

#include <cstring>

#include "TestValues.h"
#include "com/DataStreamReader.h"
#include "group/DataStream.h"
#include "opcda.h"

namespace {

// The first data word of a value's VARIANT image.
uint32_t ImageData(const TDa1Value& value)
{
    uint32_t data = 0;
    std::memcpy(&data, value.Image.data() + 8, sizeof data);
    return data;
}

std::vector<uint8_t> Block(HGLOBAL block)
{
    std::vector<uint8_t> bytes = CopyGlobalBytes(block);
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
        const TDa1DataBlock block = ReadDa1DataBlock(bytes, c.timestamps);
        EXPECT_EQ(block.Size, c.size);
        EXPECT_GE(bytes.size(), c.size);
        EXPECT_EQ(block.Count, 2u);
        EXPECT_EQ(block.ClientGroup, 0x11u);
        EXPECT_EQ(block.TransactionId, 0x22u);
        EXPECT_EQ(block.Status, S_OK);
        ASSERT_EQ(block.Items.size(), 2u);
        EXPECT_EQ(block.Items[0].ValueOffset, c.first);
        EXPECT_EQ(block.Items[1].ValueOffset, c.second);
        EXPECT_EQ(block.Items[0].ClientHandle, 7u);
        EXPECT_EQ(block.Items[0].Value.Type, VT_I4);
        EXPECT_EQ(ImageData(block.Items[0].Value), static_cast<uint32_t>(-5));
        EXPECT_EQ(block.Items[0].Value.RecordSize, 16u);
        EXPECT_EQ(block.Items[0].Stamp, c.timestamps ? 0x0506070801020304ull : 0u);
        EXPECT_EQ(block.Items[1].Stamp, 0u);
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
        const TDa1DataBlock block = ReadDa1DataBlock(bytes, false);
        const TDa1Value& abc = block.Items.at(0).Value;
        EXPECT_EQ(abc.RecordSize, 28u) << "16 + 4 + 3 characters + terminator";
        EXPECT_EQ(abc.StringByteCount, counted ? 8u : 6u);
        EXPECT_EQ(abc.Text, L"abc");
        EXPECT_EQ(ImageData(abc), 0u) << "no pointer crosses";
        EXPECT_EQ(block.Items[1].Value.StringByteCount, counted ? 2u : 0u);
        EXPECT_EQ(block.Items[1].Value.RecordSize, 22u);
        EXPECT_EQ(block.Size, 20u + 2 * 12 + 28 + 22);
    }
}

TEST(DataStream, ArraysCarryTheir32BitDescriptorAndTheirElements)
{
    TDataChangeStream stream(true, false, 2, 1, 0);
    stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
    stream.AppendValue(MakeR8Array({1.5, -2.0, 3.25}).get());
    stream.BeginItem(1, 2, 0x40);
    stream.AppendValue(MakeBstrArray({L"x", L"yz"}).get());
    const TDa1DataBlock block = ReadDa1DataBlock(Block(stream.Finish()), true);
    EXPECT_EQ(block.Status, S_FALSE) << "one quality is not exactly good";

    const TDa1Value& numbers = block.Items.at(0).Value;
    EXPECT_EQ(numbers.Type, VT_ARRAY | VT_R8);
    EXPECT_EQ(numbers.RecordSize, 64u) << "16 + 24 + 3 x 8";
    EXPECT_EQ(numbers.Dims, 1u);
    EXPECT_EQ(numbers.ElementSize, 8u);
    EXPECT_EQ(numbers.DataPointer, 0u);
    EXPECT_EQ(numbers.ElementCount, 3u);
    EXPECT_EQ(numbers.LowerBound, 0);
    double read[3] = {};
    ASSERT_EQ(numbers.Elements.size(), sizeof read);
    std::memcpy(read, numbers.Elements.data(), sizeof read);
    EXPECT_EQ(read[1], -2.0);

    const TDa1Value& texts = block.Items.at(1).Value;
    EXPECT_EQ(texts.ElementSize, 4u) << "a string element is a 32-bit pointer there";
    EXPECT_EQ(texts.Strings, (std::vector<std::wstring>{L"x", L"yz"}));
    EXPECT_EQ(texts.RecordSize, 16u + 24 + (4 + 4) + (4 + 6));
    EXPECT_EQ(block.Items[1].Quality, 0x40);
}

TEST(DataStream, WriteCompletionBlockHasOneEntryPerItem)
{
    const std::vector<uint8_t> bytes =
        Block(BuildWriteCompleteBlock(0x33, 0x44, {5, 0}, {S_OK, static_cast<HRESULT>(OPC_E_INVALIDHANDLE)}));
    ASSERT_GE(bytes.size(), 32u);
    const TDa1WriteBlock block = ReadDa1WriteBlock(bytes);
    EXPECT_EQ(block.Count, 2u);
    EXPECT_EQ(block.ClientGroup, 0x33u);
    EXPECT_EQ(block.TransactionId, 0x44u);
    EXPECT_EQ(block.Status, S_OK) << "the status says nothing about the items";
    ASSERT_EQ(block.Items.size(), 2u);
    EXPECT_EQ(block.Items[0].ClientHandle, 5u);
    EXPECT_EQ(block.Items[0].Error, S_OK);
    EXPECT_EQ(block.Items[1].ClientHandle, 0u);
    EXPECT_EQ(block.Items[1].Error, OPC_E_INVALIDHANDLE);
}

}  // namespace
