// The DA 1.0 block reader that the client and the tests share: values come
// back as they were written, and a block that does not hold together is
// refused without a read outside it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "TestValues.h"
#include "cache/VariantCompare.h"
#include "com/DataStreamReader.h"
#include "group/DataStream.h"
#include "opcda.h"

namespace {

std::vector<uint8_t> Bytes(HGLOBAL block)
{
    std::vector<uint8_t> bytes = CopyGlobalBytes(block);
    GlobalFree(block);
    return bytes;
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) { std::memcpy(bytes.data() + at, &v, sizeof v); }

UniqueVariant MakeBool(bool v)
{
    UniqueVariant out;
    V_VT(out.put()) = VT_BOOL;
    V_BOOL(&out.get()) = v ? VARIANT_TRUE : VARIANT_FALSE;
    return out;
}

UniqueVariant MakeNull()
{
    UniqueVariant out;
    V_VT(out.put()) = VT_NULL;
    return out;
}

TEST(DataStreamReader, ValuesComeBackAsWritten)
{
    struct TCase {
        const char* name;
        std::function<UniqueVariant()> make;
    };
    const TCase cases[] = {
        {"I4", [] { return MakeI4(-5); }},
        {"I2", [] { return MakeI2(-300); }},
        {"R8", [] { return MakeR8(2.5e-6); }},
        {"BOOL", [] { return MakeBool(true); }},
        {"string", [] { return MakeBstr(L"Plant \u00e9"); }},
        {"empty string", [] { return MakeBstr(L""); }},
        {"null", [] { return MakeNull(); }},
        {"R8 array",
         [] {
             return MakeR8Array({1.5, -2.0, 3.25});
         }},
        {"string array",
         [] {
             return MakeBstrArray({L"a", L"", L"bc"});
         }},
    };
    for (const TCase& c : cases) {
        for (bool timestamps : {false, true}) {
            for (bool countTerminator : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << c.name << " timestamps " << timestamps << " counted " << countTerminator);
                // Two items, so that the second one's offset depends on the first one's record size.
                const UniqueVariant value = c.make();
                TDataChangeStream stream(timestamps, countTerminator, 2, 0x11, 0x22);
                stream.BeginItem(0, 7, OPC_QUALITY_GOOD);
                stream.SetItemTimestamp(0, FILETIME{0x01020304, 0x05060708});
                stream.AppendValue(value.get());
                stream.BeginItem(1, 8, 0x40);
                stream.AppendValue(MakeI4(99).get());
                std::vector<uint8_t> bytes = Bytes(stream.Finish());
                bytes.resize(bytes.size() + 32, 0xCC);  // memory past the block's size is not read

                const TDa1DataBlock block = ReadDa1DataBlock(bytes, timestamps);
                EXPECT_EQ(block.ClientGroup, 0x11u);
                EXPECT_EQ(block.TransactionId, 0x22u);
                EXPECT_EQ(block.Status, S_FALSE);
                ASSERT_EQ(block.Items.size(), 2u);
                EXPECT_EQ(block.Items[0].ClientHandle, 7u);
                EXPECT_EQ(block.Items[0].Quality, OPC_QUALITY_GOOD);
                EXPECT_EQ(block.Items[0].Stamp, timestamps ? 0x0506070801020304ull : 0u);
                EXPECT_EQ(block.Items[1].ValueOffset, block.Items[0].ValueOffset + block.Items[0].Value.RecordSize);
                EXPECT_EQ(block.Items[1].Quality, 0x40);
                const UniqueVariant read = ConvertDa1Value(block.Items[0].Value);
                EXPECT_TRUE(ValuesEqual(read.get(), value.get()));
                EXPECT_EQ(V_I4(&ConvertDa1Value(block.Items[1].Value).get()), 99);
            }
        }
    }
}

TEST(DataStreamReader, WriteBlockEntriesComeBackAsWritten)
{
    const TDa1WriteBlock block = ReadDa1WriteBlock(
        Bytes(BuildWriteCompleteBlock(0x33, 0x44, {5, 0, 6},
                                      {S_OK, static_cast<HRESULT>(OPC_E_INVALIDHANDLE), OPC_E_BADTYPE})));
    EXPECT_EQ(block.ClientGroup, 0x33u);
    EXPECT_EQ(block.TransactionId, 0x44u);
    ASSERT_EQ(block.Items.size(), 3u);
    EXPECT_EQ(block.Items[1].ClientHandle, 0u);
    EXPECT_EQ(block.Items[1].Error, OPC_E_INVALIDHANDLE);
    EXPECT_EQ(block.Items[2].ClientHandle, 6u);
    EXPECT_EQ(block.Items[2].Error, OPC_E_BADTYPE);
}

// One item holding the string "abc", without time stamps: the item header at
// 20, the value record at 32, the string's byte count at 48.
std::vector<uint8_t> StringBlock()
{
    TDataChangeStream stream(false, false, 1, 1, 0);
    stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
    stream.AppendValue(MakeBstr(L"abc").get());
    return Bytes(stream.Finish());
}

std::vector<uint8_t> ArrayBlock()
{
    TDataChangeStream stream(false, false, 1, 1, 0);
    stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
    stream.AppendValue(MakeR8Array({1.0, 2.0}).get());
    return Bytes(stream.Finish());
}

TEST(DataStreamReader, BlocksThatDoNotHoldTogetherAreRefused)
{
    struct TCase {
        const char* name;
        std::function<std::vector<uint8_t>()> make;
        bool writeBlock;
    };
    const auto changed = [](std::vector<uint8_t> (*make)(), size_t at, uint32_t v) {
        return [=] {
            std::vector<uint8_t> b = make();
            Put32(b, at, v);
            return b;
        };
    };
    const TCase cases[] = {
        {"truncated header",
         [] {
             std::vector<uint8_t> b = StringBlock();
             b.resize(10);
             return b;
         },
         false},
        {"size field below the header", changed(StringBlock, 0, 12), false},
        {"size field past the memory",
         [] {
             std::vector<uint8_t> b = StringBlock();
             Put32(b, 0, static_cast<uint32_t>(b.size() + 1));
             return b;
         },
         false},
        {"more items than headers", changed(StringBlock, 4, 50), false},
        {"huge item count", changed(StringBlock, 4, 0xFFFFFFFF), false},
        {"item offset past the end",
         [] {
             std::vector<uint8_t> b = StringBlock();
             Put32(b, 24, static_cast<uint32_t>(b.size()));
             return b;
         },
         false},
        {"item offset into the headers", changed(StringBlock, 24, 8), false},
        {"string length past the end", changed(StringBlock, 48, 200), false},
        {"string length of 4 GB", changed(StringBlock, 48, 0xFFFFFFFE), false},
        {"odd string length", changed(StringBlock, 48, 5), false},
        {"array elements past the end", changed(ArrayBlock, 48 + 16, 3), false},
        {"array of 4 G elements", changed(ArrayBlock, 48 + 16, 0xFFFFFFFF), false},
        {"truncated write block", [] { return std::vector<uint8_t>(12, 0); }, true},
        {"write entries past the end",
         [] {
             std::vector<uint8_t> b = Bytes(BuildWriteCompleteBlock(1, 2, {5}, {S_OK}));
             Put32(b, 0, 3);
             return b;
         },
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = c.make();
        if (c.writeBlock)
            EXPECT_THROW(ReadDa1WriteBlock(bytes), EBadDa1Block);
        else
            EXPECT_THROW(ReadDa1DataBlock(bytes, false), EBadDa1Block);
    }
}

TEST(DataStreamReader, ValuesOfOtherTypesAreReadButNotConverted)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    ASSERT_NE(array, nullptr);
    UniqueVariant variants;
    V_VT(variants.put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&variants.get()) = array;
    TDataChangeStream stream(false, false, 1, 1, 0);
    stream.BeginItem(0, 1, OPC_QUALITY_GOOD);
    stream.AppendValue(variants.get());
    const TDa1DataBlock block = ReadDa1DataBlock(Bytes(stream.Finish()), false);
    const TDa1Value& value = block.Items.at(0).Value;
    EXPECT_EQ(value.ElementSize, 16u) << "a VARIANT image per element";
    EXPECT_EQ(value.Elements.size(), 32u);
    EXPECT_THROW(ConvertDa1Value(value), EBadDa1Block);
}

}  // namespace
