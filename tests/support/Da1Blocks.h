// Reading DA 1.0 blocks as a client does: straight from the byte layout
// (little-endian, no padding, 16-byte VARIANT images and 24-byte array
// descriptors), without the server's own structures, so that writer and
// reader cannot agree on a mistake.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct TParsedValue {
    uint16_t vt = 0;
    std::vector<uint8_t> image;  // the 16 bytes of the VARIANT image
    // Strings: the byte count as written and the characters up to it.
    uint32_t stringByteCount = 0;
    std::wstring text;
    // Arrays: the descriptor's fields, then the elements.
    uint16_t cDims = 0, fFeatures = 0;
    uint32_t cbElements = 0, cLocks = 0, pvData = 0, cElements = 0;
    int32_t lLbound = 0;
    std::vector<std::wstring> strings;
    std::vector<uint8_t> raw;
    size_t recordSize = 0;  // bytes of the whole record
};

struct TParsedItem {
    uint32_t hClient = 0;
    uint32_t valueOffset = 0;
    uint16_t quality = 0;
    uint16_t reserved = 0;
    uint64_t stamp = 0;  // only with time stamps
    TParsedValue value;
};

struct TParsedDataBlock {
    uint32_t size = 0, count = 0, group = 0, transactionId = 0, status = 0;
    std::vector<TParsedItem> items;
};

struct TParsedWriteBlock {
    uint32_t count = 0, group = 0, transactionId = 0, status = 0;
    std::vector<std::pair<uint32_t, uint32_t>> items;  // client handle, error
};

namespace da1 {

inline uint16_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | (b[at + 1] << 8)) : 0xDEAD;
}
inline uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    if (at + 4 > b.size()) return 0xDEADBEEF;
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A string record at pos: byte count, characters, a 16-bit zero. The count
// may include the terminator (terminatorCounted).
inline std::wstring ReadString(const std::vector<uint8_t>& b, size_t& pos, bool terminatorCounted,
                               uint32_t* byteCount = nullptr)
{
    const uint32_t count = U32(b, pos);
    if (byteCount) *byteCount = count;
    pos += 4;
    const uint32_t chars = (terminatorCounted && count >= 2 ? count - 2 : count) / 2;
    std::wstring text;
    for (uint32_t i = 0; i < chars && pos + 2 <= b.size(); ++i, pos += 2) text.push_back(static_cast<wchar_t>(U16(b, pos)));
    pos += 2;  // the terminator, always written
    return text;
}

inline TParsedValue ReadValue(const std::vector<uint8_t>& b, size_t pos, bool terminatorCounted)
{
    TParsedValue v;
    const size_t start = pos;
    v.vt = U16(b, pos);
    v.image.assign(b.begin() + static_cast<std::ptrdiff_t>(std::min(pos, b.size())),
                   b.begin() + static_cast<std::ptrdiff_t>(std::min(pos + 16, b.size())));
    pos += 16;
    if (v.vt == VT_BSTR) {
        v.text = ReadString(b, pos, terminatorCounted, &v.stringByteCount);
    } else if (v.vt & VT_ARRAY) {
        v.cDims = U16(b, pos);
        v.fFeatures = U16(b, pos + 2);
        v.cbElements = U32(b, pos + 4);
        v.cLocks = U32(b, pos + 8);
        v.pvData = U32(b, pos + 12);
        v.cElements = U32(b, pos + 16);
        v.lLbound = static_cast<int32_t>(U32(b, pos + 20));
        pos += 24;
        if ((v.vt & VT_TYPEMASK) == VT_BSTR) {
            for (uint32_t i = 0; i < v.cElements; ++i) v.strings.push_back(ReadString(b, pos, terminatorCounted));
        } else {
            const size_t n = static_cast<size_t>(v.cElements) * v.cbElements;
            v.raw.assign(b.begin() + static_cast<std::ptrdiff_t>(std::min(pos, b.size())),
                         b.begin() + static_cast<std::ptrdiff_t>(std::min(pos + n, b.size())));
            pos += n;
        }
    }
    v.recordSize = pos - start;
    return v;
}

// A data block with (itemHeader 20) or without (12) time stamps.
inline TParsedDataBlock ParseDataBlock(const std::vector<uint8_t>& b, bool timestamps, bool terminatorCounted = false)
{
    TParsedDataBlock block;
    block.size = U32(b, 0);
    block.count = U32(b, 4);
    block.group = U32(b, 8);
    block.transactionId = U32(b, 12);
    block.status = U32(b, 16);
    const size_t header = timestamps ? 20 : 12;
    for (uint32_t i = 0; i < block.count && 20 + (i + 1) * header <= b.size(); ++i) {
        const size_t at = 20 + i * header;
        TParsedItem item;
        item.hClient = U32(b, at);
        item.valueOffset = U32(b, at + 4);
        item.quality = U16(b, at + 8);
        item.reserved = U16(b, at + 10);
        if (timestamps) item.stamp = U32(b, at + 12) | (static_cast<uint64_t>(U32(b, at + 16)) << 32);
        item.value = ReadValue(b, item.valueOffset, terminatorCounted);
        block.items.push_back(std::move(item));
    }
    return block;
}

inline TParsedWriteBlock ParseWriteBlock(const std::vector<uint8_t>& b)
{
    TParsedWriteBlock block;
    block.count = U32(b, 0);
    block.group = U32(b, 4);
    block.transactionId = U32(b, 8);
    block.status = U32(b, 12);
    for (uint32_t i = 0; i < block.count && 16 + 8 * (i + 1) <= b.size(); ++i)
        block.items.emplace_back(U32(b, 16 + 8 * i), U32(b, 20 + 8 * i));
    return block;
}

// The bytes of a global memory block (GlobalSize may exceed what was written).
inline std::vector<uint8_t> BytesOf(HGLOBAL block)
{
    std::vector<uint8_t> bytes;
    if (!block) return bytes;
    const SIZE_T size = GlobalSize(block);
    const auto* data = static_cast<const uint8_t*>(GlobalLock(block));
    if (data) bytes.assign(data, data + size);
    GlobalUnlock(block);
    return bytes;
}

}  // namespace da1
