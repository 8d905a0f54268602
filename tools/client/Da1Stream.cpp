#include "Da1Stream.h"

#include <cstring>
#include <string>

namespace {

constexpr size_t kGroupHeaderSize = 20;
constexpr size_t kItemHeaderWithTime = 20;
constexpr size_t kItemHeaderPlain = 12;
constexpr size_t kVariantImageSize = 16;
constexpr size_t kArrayDescriptorSize = 24;

// Little-endian reads within [0, size_).
class TBlockReader {
public:
    TBlockReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    size_t Size() const noexcept { return size_; }
    void Need(size_t offset, size_t count) const
    {
        if (offset > size_ || count > size_ - offset) throw EBadDa1Block("a field reaches past the end of the block");
    }
    template <class T>
    T At(size_t offset) const
    {
        Need(offset, sizeof(T));
        T value;
        std::memcpy(&value, data_ + offset, sizeof(T));
        return value;
    }
    const BYTE* Bytes(size_t offset, size_t count) const
    {
        Need(offset, count);
        return data_ + offset;
    }

private:
    const BYTE* data_;
    size_t size_;
};

// A string record: byte count, characters, a 16-bit terminator. The count may
// include the terminator (some servers count it); the characters end at the
// first zero either way. Returns the offset after the record.
size_t ReadString(const TBlockReader& in, size_t at, BSTR& out)
{
    const DWORD bytes = in.At<DWORD>(at);
    if (bytes % 2 != 0) throw EBadDa1Block("a string's byte count is odd");
    const size_t chars = bytes / 2;
    const auto* text = reinterpret_cast<const BYTE*>(in.Bytes(at + 4, bytes));
    std::wstring s(chars, L'\0');
    std::memcpy(s.data(), text, bytes);
    const bool counted = chars > 0 && s.back() == L'\0';
    if (const size_t zero = s.find(L'\0'); zero != std::wstring::npos) s.resize(zero);
    size_t end = at + 4 + bytes;
    if (!counted) {
        in.Need(end, 2);  // the terminator that the count leaves out
        end += 2;
    }
    out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!out) throw std::bad_alloc();
    return end;
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

size_t ReadArray(const TBlockReader& in, size_t at, VARTYPE type, VARIANT& out)
{
    const VARTYPE element = type & VT_TYPEMASK;
    const DWORD cbElements = in.At<DWORD>(at + 4);
    const DWORD count = in.At<DWORD>(at + 16);
    const LONG lower = in.At<LONG>(at + 20);
    size_t pos = at + kArrayDescriptorSize;
    size_t size = 0;
    if (element != VT_BSTR && (!IsFixedSize(element, size) || size != cbElements))
        throw EBadDa1Block("an array of an element type this client cannot read");
    if (element != VT_BSTR) in.Need(pos, static_cast<size_t>(count) * size);  // before allocating
    SAFEARRAY* array = SafeArrayCreateVector(element, lower, count);
    if (!array) throw std::bad_alloc();
    V_VT(&out) = type;
    V_ARRAY(&out) = array;  // the caller's owner frees it from here on
    if (element == VT_BSTR) {
        BSTR* strings = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void**>(&strings));
        try {
            for (DWORD i = 0; i < count; ++i) pos = ReadString(in, pos, strings[i]);
        } catch (...) {
            SafeArrayUnaccessData(array);
            throw;
        }
        SafeArrayUnaccessData(array);
        return pos;
    }
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::memcpy(data, in.Bytes(pos, static_cast<size_t>(count) * size), static_cast<size_t>(count) * size);
    SafeArrayUnaccessData(array);
    return pos + static_cast<size_t>(count) * size;
}

void ReadValue(const TBlockReader& in, size_t at, UniqueVariant& value)
{
    const VARTYPE type = in.At<VARTYPE>(at);
    VARIANT& v = *value.put();
    if (type & VT_ARRAY) {
        ReadArray(in, at + kVariantImageSize, type, v);
        return;
    }
    if (type == VT_BSTR) {
        BSTR text = nullptr;
        ReadString(in, at + kVariantImageSize, text);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = text;
        return;
    }
    size_t size = 0;
    if (type == VT_EMPTY || type == VT_NULL) {
        V_VT(&v) = type;
        return;
    }
    if (!IsFixedSize(type, size)) throw EBadDa1Block("a value of a type this client cannot read");
    in.Need(at, kVariantImageSize);
    V_VT(&v) = type;
    std::memcpy(&V_UI1(&v), in.Bytes(at + 8, size), size);
}

}  // namespace

TDa1DataBlock ReadDa1DataBlock(const BYTE* block, size_t size, bool withTimeStamps)
{
    TBlockReader whole(block, size);
    const DWORD used = whole.At<DWORD>(0);
    if (used < kGroupHeaderSize || used > size) throw EBadDa1Block("the block's size field does not fit the block");
    TBlockReader in(block, used);
    TDa1DataBlock result;
    const DWORD count = in.At<DWORD>(4);
    result.ClientGroup = in.At<DWORD>(8);
    result.TransactionId = in.At<DWORD>(12);
    result.Status = in.At<HRESULT>(16);
    const size_t headerSize = withTimeStamps ? kItemHeaderWithTime : kItemHeaderPlain;
    in.Need(kGroupHeaderSize, static_cast<size_t>(count) * headerSize);
    result.Items.resize(count);
    for (DWORD i = 0; i < count; ++i) {
        const size_t header = kGroupHeaderSize + i * headerSize;
        TDa1ItemValue& item = result.Items[i];
        item.ClientHandle = in.At<DWORD>(header);
        const DWORD valueOffset = in.At<DWORD>(header + 4);
        item.Quality = in.At<WORD>(header + 8);
        if (withTimeStamps) item.TimeStamp = in.At<FILETIME>(header + 12);
        if (valueOffset < kGroupHeaderSize + static_cast<size_t>(count) * headerSize)
            throw EBadDa1Block("a value offset points into the headers");
        ReadValue(in, valueOffset, item.Value);
    }
    return result;
}
