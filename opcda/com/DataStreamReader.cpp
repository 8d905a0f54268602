#include "com/DataStreamReader.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kGroupHeaderSize = 20;
constexpr size_t kItemHeaderWithTime = 20;
constexpr size_t kItemHeaderPlain = 12;
constexpr size_t kVariantImageSize = 16;
constexpr size_t kArrayDescriptorSize = 24;
constexpr size_t kWriteHeaderSize = 16;
constexpr size_t kWriteEntrySize = 8;

// Little-endian reads within [0, size_).
class TBlockBytes {
public:
    TBlockBytes(const BYTE* data, size_t size) : data_(data), size_(size) {}

    void Need(size_t offset, size_t count) const
    {
        if (offset > size_ || count > size_ - offset) throw EBadDa1Block("a field reaches past the end of the block");
    }
    uint16_t U16(size_t at) const
    {
        Need(at, 2);
        return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    uint32_t U32(size_t at) const
    {
        Need(at, 4);
        return static_cast<uint32_t>(data_[at]) | (static_cast<uint32_t>(data_[at + 1]) << 8) |
               (static_cast<uint32_t>(data_[at + 2]) << 16) | (static_cast<uint32_t>(data_[at + 3]) << 24);
    }
    const BYTE* Bytes(size_t at, size_t count) const
    {
        Need(at, count);
        return data_ + at;
    }

private:
    const BYTE* data_;
    size_t size_;
};

// A string record: byte count, characters, a 16-bit terminator. The count may
// include the terminator (some servers count it); the characters end at the
// first zero either way. Returns the offset after the record.
size_t ReadString(const TBlockBytes& in, size_t at, std::wstring& text, uint32_t* byteCount = nullptr)
{
    const uint32_t bytes = in.U32(at);
    if (bytes % 2 != 0) throw EBadDa1Block("a string's byte count is odd");
    if (byteCount) *byteCount = bytes;
    in.Need(at + 4, bytes);  // before allocating
    const size_t chars = bytes / 2;
    text.assign(chars, L'\0');
    for (size_t i = 0; i < chars; ++i) text[i] = static_cast<wchar_t>(in.U16(at + 4 + 2 * i));
    const bool counted = chars > 0 && text.back() == L'\0';
    if (const size_t zero = text.find(L'\0'); zero != std::wstring::npos) text.resize(zero);
    size_t end = at + 4 + bytes;
    if (!counted) {
        in.Need(end, 2);  // the terminator that the count leaves out
        end += 2;
    }
    return end;
}

size_t ReadArray(const TBlockBytes& in, size_t at, TDa1Value& value)
{
    value.Dims = in.U16(at);
    value.Features = in.U16(at + 2);
    value.ElementSize = in.U32(at + 4);
    value.Locks = in.U32(at + 8);
    value.DataPointer = in.U32(at + 12);
    value.ElementCount = in.U32(at + 16);
    value.LowerBound = static_cast<int32_t>(in.U32(at + 20));
    size_t pos = at + kArrayDescriptorSize;
    if ((value.Type & VT_TYPEMASK) == VT_BSTR) {
        // Each record takes bytes, so a forged count runs into the end.
        for (uint32_t i = 0; i < value.ElementCount; ++i) {
            std::wstring text;
            pos = ReadString(in, pos, text);
            value.Strings.push_back(std::move(text));
        }
        return pos;
    }
    const uint64_t total = static_cast<uint64_t>(value.ElementCount) * value.ElementSize;
    if (total > SIZE_MAX) throw EBadDa1Block("an array reaches past the end of the block");
    const BYTE* data = in.Bytes(pos, static_cast<size_t>(total));
    value.Elements.assign(data, data + total);
    return pos + static_cast<size_t>(total);
}

TDa1Value ReadValue(const TBlockBytes& in, size_t at)
{
    TDa1Value value;
    const BYTE* image = in.Bytes(at, kVariantImageSize);
    std::memcpy(value.Image.data(), image, kVariantImageSize);
    value.Type = in.U16(at);
    size_t end = at + kVariantImageSize;
    if (value.Type == VT_BSTR)
        end = ReadString(in, end, value.Text, &value.StringByteCount);
    else if (value.Type & VT_ARRAY)
        end = ReadArray(in, end, value);
    value.RecordSize = end - at;
    return value;
}

bool IsFixedSize(VARTYPE type, size_t& size)
{
    switch (type) {
    case VT_I1:
    case VT_UI1:
        size = 1;
        return true;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        size = 2;
        return true;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        size = 4;
        return true;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        size = 8;
        return true;
    default:
        return false;
    }
}

BSTR AllocateString(const std::wstring& text)
{
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s) throw std::bad_alloc();
    return s;
}

void ConvertArray(const TDa1Value& value, VARIANT& out)
{
    const VARTYPE element = value.Type & VT_TYPEMASK;
    size_t size = 0;
    if (element != VT_BSTR && (!IsFixedSize(element, size) || size != value.ElementSize))
        throw EBadDa1Block("an array of an element type this client cannot read");
    SAFEARRAY* array = SafeArrayCreateVector(element, value.LowerBound, value.ElementCount);
    if (!array) throw std::bad_alloc();
    V_VT(&out) = value.Type;
    V_ARRAY(&out) = array;  // the caller's owner frees it from here on
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) throw std::bad_alloc();
    if (element == VT_BSTR) {
        auto* strings = static_cast<BSTR*>(data);
        try {
            for (size_t i = 0; i < value.Strings.size(); ++i) strings[i] = AllocateString(value.Strings[i]);
        } catch (...) {
            SafeArrayUnaccessData(array);
            throw;
        }
    } else if (!value.Elements.empty()) {
        std::memcpy(data, value.Elements.data(), value.Elements.size());
    }
    SafeArrayUnaccessData(array);
}

}  // namespace

TDa1DataBlock ReadDa1DataBlock(const BYTE* block, size_t size, bool withTimeStamps)
{
    const uint32_t used = TBlockBytes(block, size).U32(0);
    if (used < kGroupHeaderSize || used > size) throw EBadDa1Block("the block's size field does not fit the block");
    const TBlockBytes in(block, used);
    TDa1DataBlock result;
    result.Size = used;
    result.Count = in.U32(4);
    result.ClientGroup = in.U32(8);
    result.TransactionId = in.U32(12);
    result.Status = static_cast<HRESULT>(in.U32(16));
    const size_t headerSize = withTimeStamps ? kItemHeaderWithTime : kItemHeaderPlain;
    if (result.Count > (used - kGroupHeaderSize) / headerSize)
        throw EBadDa1Block("the item headers reach past the end of the block");
    const size_t headersEnd = kGroupHeaderSize + static_cast<size_t>(result.Count) * headerSize;
    result.Items.resize(result.Count);
    for (uint32_t i = 0; i < result.Count; ++i) {
        const size_t header = kGroupHeaderSize + i * headerSize;
        TDa1Item& item = result.Items[i];
        item.ClientHandle = in.U32(header);
        item.ValueOffset = in.U32(header + 4);
        item.Quality = in.U16(header + 8);
        item.Reserved = in.U16(header + 10);
        if (withTimeStamps) item.Stamp = in.U32(header + 12) | (static_cast<uint64_t>(in.U32(header + 16)) << 32);
        if (item.ValueOffset < headersEnd) throw EBadDa1Block("a value offset points into the headers");
        item.Value = ReadValue(in, item.ValueOffset);
    }
    return result;
}

TDa1WriteBlock ReadDa1WriteBlock(const BYTE* block, size_t size)
{
    const TBlockBytes in(block, size);
    TDa1WriteBlock result;
    result.Count = in.U32(0);
    result.ClientGroup = in.U32(4);
    result.TransactionId = in.U32(8);
    result.Status = static_cast<HRESULT>(in.U32(12));
    if (result.Count > (size - kWriteHeaderSize) / kWriteEntrySize)
        throw EBadDa1Block("the write results reach past the end of the block");
    result.Items.resize(result.Count);
    for (uint32_t i = 0; i < result.Count; ++i) {
        result.Items[i].ClientHandle = in.U32(kWriteHeaderSize + kWriteEntrySize * i);
        result.Items[i].Error = static_cast<HRESULT>(in.U32(kWriteHeaderSize + kWriteEntrySize * i + 4));
    }
    return result;
}

UniqueVariant ConvertDa1Value(const TDa1Value& value)
{
    UniqueVariant result;
    VARIANT& v = *result.put();
    if (value.Type & VT_ARRAY) {
        ConvertArray(value, v);
    } else if (value.Type == VT_BSTR) {
        V_BSTR(&v) = AllocateString(value.Text);
        V_VT(&v) = VT_BSTR;
    } else if (value.Type == VT_EMPTY || value.Type == VT_NULL) {
        V_VT(&v) = value.Type;
    } else {
        size_t size = 0;
        if (!IsFixedSize(value.Type, size)) throw EBadDa1Block("a value of a type this client cannot read");
        V_VT(&v) = value.Type;
        std::memcpy(&V_UI1(&v), value.Image.data() + 8, size);
    }
    return result;
}

std::vector<uint8_t> CopyGlobalBytes(HGLOBAL block)
{
    std::vector<uint8_t> bytes;
    if (!block) return bytes;
    const SIZE_T size = GlobalSize(block);
    const auto* data = static_cast<const uint8_t*>(GlobalLock(block));
    if (data) bytes.assign(data, data + size);
    GlobalUnlock(block);
    return bytes;
}
