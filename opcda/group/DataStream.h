// The blocks that DA 1.0 clients receive through IAdviseSink::OnDataChange.
// They are a byte format of the 32-bit world, written field by field:
// a VARIANT is a 16-byte image and a SAFEARRAY descriptor 24 bytes, whatever
// this process's own layout; all integers little-endian, no padding.
//
// Data block:   group header (20 bytes: size, count, group handle,
//               transaction ID, status), then one item header per item
//               (20 bytes with time stamps, 12 without: client handle,
//               value offset, quality, reserved[, time stamp]), then the
//               value records in item order.
// Write block:  count, group handle, transaction ID, status (16 bytes),
//               then client handle and error per item (8 bytes each).
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <vector>

class TDataChangeStream {
public:
    static constexpr size_t GroupHeaderSize = 20;

    // A block for count items with or without time stamps. A string's byte
    // count includes its terminator when countTerminator is set.
    TDataChangeStream(bool timestamps, bool countTerminator, size_t count, DWORD groupHandle, DWORD transactionId);

    bool HasTimestamps() const noexcept { return timestamps_; }
    size_t ItemHeaderSize() const noexcept { return timestamps_ ? 20 : 12; }

    // Item i's header: its client handle and quality; its value offset is the
    // end of the block as it is now, where AppendValue writes next.
    void BeginItem(size_t i, DWORD clientHandle, WORD quality);
    // Does nothing without time stamps.
    void SetItemTimestamp(size_t i, const FILETIME& stamp);
    // Appends one value record: the 16-byte VARIANT image, then a string's or
    // an array's data.
    void AppendValue(const VARIANT& value);

    // The finished block in a new global memory block (the caller frees it);
    // hrStatus S_FALSE when any item's quality was not exactly good.
    HGLOBAL Finish();
    // The bytes so far (for tests and for Finish).
    const std::vector<uint8_t>& Bytes() const noexcept { return bytes_; }

private:
    void Put16(size_t at, uint16_t v);
    void Put32(size_t at, uint32_t v);
    void Append16(uint16_t v);
    void Append32(uint32_t v);
    void AppendBytes(const void* data, size_t size);
    void AppendString(const wchar_t* text, size_t length);
    void AppendVariantImage(const VARIANT& value);
    void AppendArray(const VARIANT& value);

    std::vector<uint8_t> bytes_;
    bool timestamps_;
    bool countTerminator_;
    size_t count_;
    bool allGood_ = true;
};

// The write-completion block for count items; clientHandles and errors have
// count entries. The caller frees the block.
HGLOBAL BuildWriteCompleteBlock(DWORD groupHandle, DWORD transactionId, const std::vector<DWORD>& clientHandles,
                                const std::vector<HRESULT>& errors);

// A global memory block holding bytes; raises E_OUTOFMEMORY.
HGLOBAL CopyToGlobal(const std::vector<uint8_t>& bytes);
