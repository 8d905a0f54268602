// Reading DA 1.0 data blocks laid out byte by byte as a server writes them:
// a 20-byte group header, item headers of 12 (or 20, with time stamps)
// bytes, then value records that begin with a 16-byte VARIANT image.
#include <gtest/gtest.h>

#include <cstring>

#include "Da1Stream.h"
#include "TestValues.h"

namespace {

// Builds a block the way the server's stream does: headers first, values appended.
class TBlockWriter {
public:
    TBlockWriter(size_t items, bool withTimeStamps, DWORD group = 7, DWORD transaction = 0)
        : headerSize_(withTimeStamps ? 20 : 12), items_(items)
    {
        bytes_.resize(20 + items * headerSize_);
        Put<DWORD>(4, static_cast<DWORD>(items));
        Put<DWORD>(8, group);
        Put<DWORD>(12, transaction);
    }
    // The item's header and its value record: the VARIANT image, then extra.
    void Item(size_t i, DWORD client, WORD quality, VARTYPE vt, const std::vector<BYTE>& data8,
              const std::vector<BYTE>& extra = {}, ULONGLONG stamp = 0)
    {
        const size_t header = 20 + i * headerSize_;
        Put<DWORD>(header, client);
        Put<DWORD>(header + 4, static_cast<DWORD>(bytes_.size()));
        Put<WORD>(header + 8, quality);
        if (headerSize_ == 20) Put<ULONGLONG>(header + 12, stamp);
        std::vector<BYTE> image(16, 0);
        std::memcpy(image.data(), &vt, 2);
        std::memcpy(image.data() + 8, data8.data(), std::min<size_t>(8, data8.size()));
        bytes_.insert(bytes_.end(), image.begin(), image.end());
        bytes_.insert(bytes_.end(), extra.begin(), extra.end());
    }
    std::vector<BYTE> Finish()
    {
        Put<DWORD>(0, static_cast<DWORD>(bytes_.size()));
        return bytes_;
    }
    template <class T>
    void Put(size_t at, T value)
    {
        std::memcpy(bytes_.data() + at, &value, sizeof value);
    }

private:
    size_t headerSize_, items_;
    std::vector<BYTE> bytes_;
};

template <class T>
std::vector<BYTE> Bytes(T value)
{
    std::vector<BYTE> b(sizeof value);
    std::memcpy(b.data(), &value, sizeof value);
    return b;
}

// A string record: byte count (with or without the terminator), characters, terminator.
std::vector<BYTE> StringRecord(const std::wstring& s, bool countTerminator = false)
{
    const DWORD count = static_cast<DWORD>(s.size() * 2 + (countTerminator ? 2 : 0));
    std::vector<BYTE> b(4 + s.size() * 2 + 2, 0);
    std::memcpy(b.data(), &count, 4);
    std::memcpy(b.data() + 4, s.data(), s.size() * 2);
    return b;
}

std::vector<BYTE> ArrayDescriptor(DWORD elementSize, DWORD count, LONG lower)
{
    std::vector<BYTE> d = Bytes<WORD>(1);  // one dimension
    for (auto part : {Bytes<WORD>(0), Bytes<DWORD>(elementSize), Bytes<DWORD>(0), Bytes<DWORD>(0), Bytes<DWORD>(count),
                      Bytes<LONG>(lower)})
        d.insert(d.end(), part.begin(), part.end());
    return d;
}

TEST(Da1Block, TwoIntegersWithoutTimeStampsHaveTheSizesOfTheLayout)
{
    TBlockWriter w(2, false, 9, 4711);
    w.Item(0, 1, 0xC0, VT_I4, Bytes<LONG>(-5));
    w.Item(1, 2, 0x40, VT_I4, Bytes<LONG>(77));
    const std::vector<BYTE> block = w.Finish();
    ASSERT_EQ(block.size(), 76u);
    const TDa1DataBlock read = ReadDa1DataBlock(block.data(), block.size(), false);
    EXPECT_EQ(read.ClientGroup, 9u);
    EXPECT_EQ(read.TransactionId, 4711u);
    ASSERT_EQ(read.Items.size(), 2u);
    EXPECT_EQ(read.Items[0].ClientHandle, 1u);
    EXPECT_EQ(V_VT(&read.Items[0].Value.get()), VT_I4);
    EXPECT_EQ(V_I4(&read.Items[0].Value.get()), -5);
    EXPECT_EQ(read.Items[1].Quality, 0x40);
    EXPECT_EQ(V_I4(&read.Items[1].Value.get()), 77);
}

TEST(Da1Block, TimeStampsComeFromTheItemHeaders)
{
    TBlockWriter w(2, true);
    w.Item(0, 3, 0xC0, VT_R8, Bytes<double>(2.5), {}, 0x01D0000000000001ull);
    w.Item(1, 4, 0xC0, VT_BOOL, Bytes<SHORT>(VARIANT_TRUE), {}, 0x01D0000000000002ull);
    const std::vector<BYTE> block = w.Finish();
    ASSERT_EQ(block.size(), 92u);
    const TDa1DataBlock read = ReadDa1DataBlock(block.data(), block.size(), true);
    EXPECT_EQ(read.Items[0].TimeStamp.dwLowDateTime, 1u);
    EXPECT_EQ(read.Items[0].TimeStamp.dwHighDateTime, 0x01D00000u);
    EXPECT_DOUBLE_EQ(V_R8(&read.Items[0].Value.get()), 2.5);
    EXPECT_EQ(V_BOOL(&read.Items[1].Value.get()), VARIANT_TRUE);
}

TEST(Da1Block, StringsReadWithOrWithoutTheTerminatorCounted)
{
    for (bool counted : {false, true}) {
        TBlockWriter w(2, false);
        w.Item(0, 1, 0xC0, VT_BSTR, {}, StringRecord(L"Dep", counted));
        w.Item(1, 2, 0xC0, VT_BSTR, {}, StringRecord(L"", counted));
        const std::vector<BYTE> block = w.Finish();
        EXPECT_EQ(block.size(), 20u + 24u + 28u + 22u) << counted;
        const TDa1DataBlock read = ReadDa1DataBlock(block.data(), block.size(), false);
        EXPECT_EQ(TextOf(read.Items[0].Value.get()), L"Dep") << counted;
        EXPECT_EQ(V_VT(&read.Items[1].Value.get()), VT_BSTR) << counted;
        EXPECT_EQ(TextOf(read.Items[1].Value.get()), L"") << counted;
    }
}

TEST(Da1Block, ArraysOfNumbersAndOfStrings)
{
    std::vector<BYTE> numbers = ArrayDescriptor(8, 3, 0);
    for (double d : {1.5, -2.0, 3.25}) {
        const auto b = Bytes(d);
        numbers.insert(numbers.end(), b.begin(), b.end());
    }
    std::vector<BYTE> texts = ArrayDescriptor(8, 2, 1);
    for (const wchar_t* s : {L"a", L"bc"}) {
        const auto b = StringRecord(s);
        texts.insert(texts.end(), b.begin(), b.end());
    }
    TBlockWriter w(2, false);
    w.Item(0, 1, 0xC0, VT_ARRAY | VT_R8, {}, numbers);
    w.Item(1, 2, 0xC0, VT_ARRAY | VT_BSTR, {}, texts);
    const std::vector<BYTE> block = w.Finish();
    const TDa1DataBlock read = ReadDa1DataBlock(block.data(), block.size(), false);
    EXPECT_EQ(DoublesOf(read.Items[0].Value.get()), (std::vector<double>{1.5, -2.0, 3.25}));
    EXPECT_EQ(StringsOf(read.Items[1].Value.get()), (std::vector<std::wstring>{L"a", L"bc"}));
}

TEST(Da1Block, AnUnreadableValueArrivesAsNullWithBadQuality)
{
    TBlockWriter w(1, false);
    w.Item(0, 0, 0x00, VT_NULL, {});
    const std::vector<BYTE> block = w.Finish();
    const TDa1DataBlock read = ReadDa1DataBlock(block.data(), block.size(), false);
    EXPECT_EQ(V_VT(&read.Items[0].Value.get()), VT_NULL);
    EXPECT_EQ(read.Items[0].Quality, 0);
}

TEST(Da1Block, BlocksThatDoNotHoldTogetherAreRefused)
{
    TBlockWriter w(1, false);
    w.Item(0, 1, 0xC0, VT_BSTR, {}, StringRecord(L"abc"));
    const std::vector<BYTE> good = w.Finish();

    std::vector<BYTE> tooLong = good;
    tooLong[0] = static_cast<BYTE>(good.size() + 1);  // dwSize past the memory
    std::vector<BYTE> intoHeaders = good;
    intoHeaders[24] = 8;  // the value offset points into the headers
    std::vector<BYTE> stringPastEnd = good;
    stringPastEnd[20 + 12 + 16] = 200;  // the string's count reaches past dwSize
    std::vector<BYTE> manyItems = good;
    manyItems[4] = 50;  // more item headers than the block holds
    for (const auto* bad : {&tooLong, &intoHeaders, &stringPastEnd, &manyItems})
        EXPECT_THROW(ReadDa1DataBlock(bad->data(), bad->size(), false), EBadDa1Block);

    // A block in memory larger than its dwSize reads as dwSize says.
    std::vector<BYTE> padded = good;
    padded.resize(good.size() + 64, 0xCC);
    EXPECT_EQ(TextOf(ReadDa1DataBlock(padded.data(), padded.size(), false).Items[0].Value.get()), L"abc");
}

}  // namespace
