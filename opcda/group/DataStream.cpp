#include "group/DataStream.h"

#include <cstring>

#include "contract/OpcError.h"
#include "opcda.h"

namespace {

// Types whose data part is a pointer: meaningless to the receiver, written as 0.
bool DataIsPointer(VARTYPE vt) noexcept
{
    if (vt & (VT_ARRAY | VT_BYREF)) return true;
    switch (vt) {
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
    case VT_RECORD:
    case VT_LPSTR:
    case VT_LPWSTR:
        return true;
    default:
        return false;
    }
}

// An element's size in the 32-bit world.
uint32_t ElementSize32(VARTYPE element, uint32_t own) noexcept
{
    switch (element) {
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return 4;
    case VT_VARIANT:
        return 16;
    default:
        return own;
    }
}

}  // namespace

TDataChangeStream::TDataChangeStream(bool timestamps, bool countTerminator, size_t count, DWORD groupHandle,
                                     DWORD transactionId)
    : timestamps_(timestamps), countTerminator_(countTerminator), count_(count)
{
    bytes_.assign(GroupHeaderSize + count * ItemHeaderSize(), 0);
    Put32(4, static_cast<uint32_t>(count));
    Put32(8, groupHandle);
    Put32(12, transactionId);
}

void TDataChangeStream::Put16(size_t at, uint16_t v)
{
    bytes_[at] = static_cast<uint8_t>(v);
    bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
}

void TDataChangeStream::Put32(size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void TDataChangeStream::Append16(uint16_t v)
{
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void TDataChangeStream::Append32(uint32_t v)
{
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void TDataChangeStream::AppendBytes(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
}

void TDataChangeStream::BeginItem(size_t i, DWORD clientHandle, WORD quality)
{
    if (i >= count_) RaiseOpcError(E_INVALIDARG);
    const size_t header = GroupHeaderSize + i * ItemHeaderSize();
    Put32(header, clientHandle);
    Put32(header + 4, static_cast<uint32_t>(bytes_.size()));
    Put16(header + 8, quality);
    Put16(header + 10, 0);
    if (quality != OPC_QUALITY_GOOD) allGood_ = false;
}

void TDataChangeStream::SetItemTimestamp(size_t i, const FILETIME& stamp)
{
    if (!timestamps_ || i >= count_) return;
    const size_t header = GroupHeaderSize + i * ItemHeaderSize();
    Put32(header + 12, stamp.dwLowDateTime);
    Put32(header + 16, stamp.dwHighDateTime);
}

void TDataChangeStream::AppendString(const wchar_t* text, size_t length)
{
    const size_t bytes = 2 * length;
    Append32(static_cast<uint32_t>(countTerminator_ ? bytes + 2 : bytes));
    for (size_t i = 0; i < length; ++i) Append16(static_cast<uint16_t>(text[i]));
    Append16(0);
}

void TDataChangeStream::AppendVariantImage(const VARIANT& value)
{
    const VARTYPE vt = V_VT(&value);
    const auto* memory = reinterpret_cast<const uint8_t*>(&value);
    Append16(vt);
    // The three reserved words: zero, except that a DECIMAL keeps its scale,
    // sign and high part there.
    uint8_t reserved[6] = {};
    if (vt == VT_DECIMAL) std::memcpy(reserved, memory + 2, sizeof reserved);
    AppendBytes(reserved, sizeof reserved);
    uint8_t data[8] = {};
    if (!DataIsPointer(vt)) std::memcpy(data, memory + 8, sizeof data);
    AppendBytes(data, sizeof data);
}

void TDataChangeStream::AppendArray(const VARIANT& value)
{
    SAFEARRAY* array = V_ARRAY(&value);
    const VARTYPE element = static_cast<VARTYPE>(V_VT(&value) & VT_TYPEMASK);
    if (array == nullptr) {
        bytes_.insert(bytes_.end(), 24, 0);
        return;
    }
    const uint32_t size32 = ElementSize32(element, array->cbElements);
    const SAFEARRAYBOUND bound = array->cDims > 0 ? array->rgsabound[0] : SAFEARRAYBOUND{0, 0};
    Append16(array->cDims);
    Append16(array->fFeatures);
    Append32(size32);
    Append32(array->cLocks);
    Append32(0);  // pvData: no pointer crosses
    Append32(bound.cElements);
    Append32(static_cast<uint32_t>(bound.lLbound));
    if (array->cDims == 0) return;

    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    if (element == VT_BSTR) {
        for (LONG i = lower; i <= upper; ++i) {
            BSTR text = nullptr;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, &text))) {
                AppendString(text ? text : L"", text ? SysStringLen(text) : 0);
                SysFreeString(text);
            } else {
                AppendString(L"", 0);
            }
        }
    } else if (element == VT_VARIANT) {
        for (LONG i = lower; i <= upper; ++i) {
            VARIANT item;
            VariantInit(&item);
            SafeArrayGetElement(array, &i, &item);
            AppendVariantImage(item);
            VariantClear(&item);
        }
    } else if (bound.cElements > 0) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) RaiseOpcError(E_FAIL);
        AppendBytes(data, static_cast<size_t>(bound.cElements) * array->cbElements);
        SafeArrayUnaccessData(array);
    }
}

void TDataChangeStream::AppendValue(const VARIANT& value)
{
    AppendVariantImage(value);
    if (V_VT(&value) == VT_BSTR) {
        BSTR text = V_BSTR(&value);
        AppendString(text ? text : L"", text ? SysStringLen(text) : 0);
    } else if (V_VT(&value) & VT_ARRAY) {
        AppendArray(value);
    }
}

HGLOBAL TDataChangeStream::Finish()
{
    Put32(0, static_cast<uint32_t>(bytes_.size()));
    Put32(16, allGood_ ? S_OK : S_FALSE);
    return CopyToGlobal(bytes_);
}

HGLOBAL CopyToGlobal(const std::vector<uint8_t>& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.empty() ? 1 : bytes.size());
    if (block == nullptr) RaiseOpcError(E_OUTOFMEMORY);
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        RaiseOpcError(E_OUTOFMEMORY);
    }
    if (!bytes.empty()) std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

HGLOBAL BuildWriteCompleteBlock(DWORD groupHandle, DWORD transactionId, const std::vector<DWORD>& clientHandles,
                                const std::vector<HRESULT>& errors)
{
    const size_t n = clientHandles.size();
    std::vector<uint8_t> bytes(16 + 8 * n, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, static_cast<uint32_t>(n));
    put(4, groupHandle);
    put(8, transactionId);
    put(12, 0);
    for (size_t i = 0; i < n; ++i) {
        put(16 + 8 * i, clientHandles[i]);
        put(20 + 8 * i, static_cast<uint32_t>(i < errors.size() ? errors[i] : S_OK));
    }
    return CopyToGlobal(bytes);
}
