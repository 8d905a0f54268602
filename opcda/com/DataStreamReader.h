// Reading the DA 1.0 blocks that IAdviseSink::OnDataChange receives, straight
// from the byte layout (little-endian, no padding, 16-byte VARIANT images and
// 24-byte array descriptors of the 32-bit world) and without the writer's own
// structures, so that writer and reader cannot agree on a mistake.
//
// Data block:  group header (20 bytes: size, count, group handle, transaction
//              ID, status), one item header per item (20 bytes with time
//              stamps, 12 without: client handle, value offset, quality,
//              reserved[, time stamp]), then the value records.
// Write block: count, group handle, transaction ID, status (16 bytes), then
//              client handle and error per item (8 bytes each).
//
// A block that does not hold together (a size, a count or an offset that
// reaches outside it) raises EBadDa1Block; nothing is read out of bounds.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/ComOwners.h"

class EBadDa1Block : public std::runtime_error {
public:
    explicit EBadDa1Block(const char* what) : std::runtime_error(what) {}
};

// One value record as written.
struct TDa1Value {
    VARTYPE Type = VT_EMPTY;
    std::array<uint8_t, 16> Image{};  // the VARIANT image
    // Strings: the byte count as written (with or without the terminator)
    // and the characters up to the first zero.
    uint32_t StringByteCount = 0;
    std::wstring Text;
    // Arrays: the descriptor's fields, then the elements (strings, or the
    // raw bytes of anything else).
    uint16_t Dims = 0, Features = 0;
    uint32_t ElementSize = 0, Locks = 0, DataPointer = 0, ElementCount = 0;
    int32_t LowerBound = 0;
    std::vector<std::wstring> Strings;
    std::vector<uint8_t> Elements;
    size_t RecordSize = 0;  // bytes of the whole record
};

struct TDa1Item {
    DWORD ClientHandle = 0;
    uint32_t ValueOffset = 0;
    WORD Quality = 0;
    WORD Reserved = 0;
    uint64_t Stamp = 0;  // zero in a block without time stamps
    TDa1Value Value;

    FILETIME TimeStamp() const noexcept { return {static_cast<DWORD>(Stamp), static_cast<DWORD>(Stamp >> 32)}; }
};

struct TDa1DataBlock {
    uint32_t Size = 0, Count = 0;
    DWORD ClientGroup = 0, TransactionId = 0;
    HRESULT Status = S_OK;
    std::vector<TDa1Item> Items;
};

struct TDa1WriteResult {
    DWORD ClientHandle = 0;
    HRESULT Error = S_OK;
};

struct TDa1WriteBlock {
    uint32_t Count = 0;
    DWORD ClientGroup = 0, TransactionId = 0;
    HRESULT Status = S_OK;
    std::vector<TDa1WriteResult> Items;
};

// Reads a data block from size bytes of memory; the memory may be larger than
// the header's size field, which must fit into it.
TDa1DataBlock ReadDa1DataBlock(const BYTE* block, size_t size, bool withTimeStamps);
inline TDa1DataBlock ReadDa1DataBlock(const std::vector<uint8_t>& bytes, bool withTimeStamps)
{
    return ReadDa1DataBlock(bytes.data(), bytes.size(), withTimeStamps);
}
TDa1WriteBlock ReadDa1WriteBlock(const BYTE* block, size_t size);
inline TDa1WriteBlock ReadDa1WriteBlock(const std::vector<uint8_t>& bytes)
{
    return ReadDa1WriteBlock(bytes.data(), bytes.size());
}

// A value record as a VARIANT: empty, null, numbers, strings and arrays of
// numbers or strings; raises EBadDa1Block for any other type.
UniqueVariant ConvertDa1Value(const TDa1Value& value);

// The bytes of a global memory block (GlobalSize may exceed what was written).
std::vector<uint8_t> CopyGlobalBytes(HGLOBAL block);
