#include "group/DeliveryMessages.h"

#include <cstring>
#include <unordered_map>

#include "com/ComObject.h"
#include "group/DataStream.h"
#include "group/GroupImpl.h"

namespace {

// An interface no client implements: asking for it costs one call to the
// client and answers whether the client is still there.
const IID kLivenessProbe = {0x5a1c3e2f, 0x7b44, 0x4d0e, {0x9e, 0x31, 0x2c, 0x6d, 0x0f, 0x88, 0x51, 0xa7}};
constexpr ULONGLONG kLivenessInterval = 2000;  // ms between questions to one sink

// IAdviseSink::OnDataChange returns nothing, so now and then a call that
// needs an answer tells whether the client is still there: the answer is the
// failure to report, S_OK while it lives.
HRESULT SendBlockToAdviseSink(TSinkSlot& slot, IUnknown* unknown, CLIPFORMAT format, HGLOBAL block)
{
    auto* sink = static_cast<IAdviseSink*>(unknown);
    FORMATETC formatEtc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    sink->OnDataChange(&formatEtc, &medium);
    const ULONGLONG now = GetTickCount64();
    if (slot.CheckedTick != 0 && now - slot.CheckedTick < kLivenessInterval) return S_OK;
    slot.CheckedTick = now;
    ComPtr<IUnknown> none;
    const HRESULT hr = sink->QueryInterface(kLivenessProbe, reinterpret_cast<void**>(none.GetAddressOf()));
    return IsClientGone(hr) ? hr : S_OK;
}

}  // namespace

// ---- TItemValues ----

TItemValues::~TItemValues()
{
    for (VARIANT& v : values_) VariantClear(&v);
}

void TItemValues::Add(OPCHANDLE serverHandle, OPCHANDLE clientHandle)
{
    serverHandles_.push_back(serverHandle);
    clientHandles_.push_back(clientHandle);
    VARIANT empty;
    VariantInit(&empty);
    values_.push_back(empty);
    qualities_.push_back(0);
    timestamps_.push_back(FILETIME{});
    errors_.push_back(S_OK);
}

void TItemValues::Merge(TItemValues& newer)
{
    std::unordered_map<OPCHANDLE, size_t> at;
    at.reserve(serverHandles_.size());
    for (size_t i = 0; i < serverHandles_.size(); ++i) at.emplace(serverHandles_[i], i);
    for (size_t j = 0; j < newer.Count(); ++j) {
        auto found = at.find(newer.serverHandles_[j]);
        size_t i;
        if (found == at.end()) {
            Add(newer.serverHandles_[j], newer.clientHandles_[j]);
            i = Count() - 1;
            at.emplace(newer.serverHandles_[j], i);
        } else {
            i = found->second;
            VariantClear(&values_[i]);
        }
        // The VARIANT moves over bitwise; the newer list keeps an empty one.
        std::memcpy(&values_[i], &newer.values_[j], sizeof(VARIANT));
        VariantInit(&newer.values_[j]);
        clientHandles_[i] = newer.clientHandles_[j];
        qualities_[i] = newer.qualities_[j];
        timestamps_[i] = newer.timestamps_[j];
        errors_[i] = newer.errors_[j];
    }
}

HRESULT TItemValues::MasterError() const noexcept
{
    for (HRESULT e : errors_)
        if (e != S_OK) return S_FALSE;
    return S_OK;
}

HRESULT TItemValues::MasterQuality() const noexcept
{
    for (WORD q : qualities_)
        if (q != OPC_QUALITY_GOOD) return S_FALSE;
    return S_OK;
}

// ---- IOPCDataCallback ----

TDataCallbackMessage::TDataCallbackMessage(TSinkRef sink, OPCHANDLE groupHandle, TCallbackKind kind,
                                           OPCHANDLE clientGroup, DWORD transactionId, TItemValues values)
    : TDeliveryMessage(std::move(sink), groupHandle, kind),
      clientGroup_(clientGroup),
      transactionId_(transactionId),
      values_(std::move(values))
{
}

bool TDataCallbackMessage::Mergeable() const noexcept
{
    return Kind() == TCallbackKind::DataChange && transactionId_ == 0;
}

void TDataCallbackMessage::Merge(TDeliveryMessage& newer)
{
    auto& other = static_cast<TDataCallbackMessage&>(newer);
    clientGroup_ = other.clientGroup_;
    values_.Merge(other.values_);
}

HRESULT TDataCallbackMessage::Deliver(IUnknown* unknown)
{
    auto* sink = static_cast<IOPCDataCallback*>(unknown);
    const DWORD count = static_cast<DWORD>(values_.Count());
    if (Kind() == TCallbackKind::ReadComplete)
        return sink->OnReadComplete(transactionId_, clientGroup_, S_OK, values_.MasterError(), count,
                                    values_.ClientHandles(), values_.Values(), values_.Qualities(),
                                    values_.Timestamps(), values_.Errors());
    return sink->OnDataChange(transactionId_, clientGroup_, values_.MasterQuality(), values_.MasterError(), count,
                              values_.ClientHandles(), values_.Values(), values_.Qualities(), values_.Timestamps(),
                              values_.Errors());
}

TWriteCompleteMessage::TWriteCompleteMessage(TSinkRef sink, OPCHANDLE groupHandle, OPCHANDLE clientGroup,
                                             DWORD transactionId, std::vector<OPCHANDLE> clientHandles,
                                             std::vector<HRESULT> errors)
    : TDeliveryMessage(std::move(sink), groupHandle, TCallbackKind::WriteComplete),
      clientGroup_(clientGroup),
      transactionId_(transactionId),
      clientHandles_(std::move(clientHandles)),
      errors_(std::move(errors))
{
}

HRESULT TWriteCompleteMessage::Deliver(IUnknown* unknown)
{
    HRESULT master = S_OK;
    for (HRESULT e : errors_)
        if (e != S_OK) master = S_FALSE;
    return static_cast<IOPCDataCallback*>(unknown)->OnWriteComplete(transactionId_, clientGroup_, master,
                                                                    static_cast<DWORD>(errors_.size()),
                                                                    clientHandles_.data(), errors_.data());
}

// ---- DA 1.0 ----

TDataStreamMessage::TDataStreamMessage(TSinkRef sink, OPCHANDLE groupHandle, CLIPFORMAT format, bool timestamps,
                                       bool countTerminator, OPCHANDLE clientGroup, TItemValues values)
    : TDeliveryMessage(std::move(sink), groupHandle, TCallbackKind::DataChange10),
      format_(format),
      timestamps_(timestamps),
      countTerminator_(countTerminator),
      clientGroup_(clientGroup),
      values_(std::move(values))
{
}

void TDataStreamMessage::Merge(TDeliveryMessage& newer)
{
    auto& other = static_cast<TDataStreamMessage&>(newer);
    clientGroup_ = other.clientGroup_;
    values_.Merge(other.values_);
}

HRESULT TDataStreamMessage::Deliver(IUnknown* sink)
{
    HGLOBAL block = nullptr;
    try {
        TDataChangeStream stream(timestamps_, countTerminator_, values_.Count(), clientGroup_, 0);
        for (size_t i = 0; i < values_.Count(); ++i) {
            stream.BeginItem(i, values_.ClientHandleAt(i), values_.QualityAt(i));
            stream.SetItemTimestamp(i, values_.TimestampAt(i));
            stream.AppendValue(values_.ValueAt(i));
        }
        block = stream.Finish();
    } catch (...) {
        return E_OUTOFMEMORY;  // the only thing writing a block can run out of
    }
    const HRESULT hr = SendBlockToAdviseSink(*Sink(), sink, format_, block);
    GlobalFree(block);  // the block stays the server's, also when the call fails
    return hr;
}

TBlockMessage::TBlockMessage(TSinkRef sink, OPCHANDLE groupHandle, TCallbackKind kind, CLIPFORMAT format,
                             HGLOBAL block) noexcept
    : TDeliveryMessage(std::move(sink), groupHandle, kind), format_(format), block_(block)
{
}

TBlockMessage::~TBlockMessage()
{
    if (block_) GlobalFree(block_);
}

HRESULT TBlockMessage::Deliver(IUnknown* sink)
{
    return SendBlockToAdviseSink(*Sink(), sink, format_, block_);
}
