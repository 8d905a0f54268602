// The messages a group hands to its client's delivery thread: each carries
// copies of everything the call needs (values converted to the requested
// types, client handles), so the delivery thread touches no group state.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "host/ClientDelivery.h"
#include "opcda.h"

// Values of items for one callback, by server handle; the VARIANTs are owned.
class TItemValues {
public:
    TItemValues() = default;
    ~TItemValues();
    TItemValues(TItemValues&& other) noexcept = default;
    TItemValues& operator=(TItemValues&&) = delete;
    TItemValues(const TItemValues&) = delete;
    TItemValues& operator=(const TItemValues&) = delete;

    // A new entry; its value starts VT_EMPTY and is filled through LastValue.
    void Add(OPCHANDLE serverHandle, OPCHANDLE clientHandle);
    VARIANT& LastValue() noexcept { return values_.back(); }
    WORD& LastQuality() noexcept { return qualities_.back(); }
    FILETIME& LastTimestamp() noexcept { return timestamps_.back(); }
    HRESULT& LastError() noexcept { return errors_.back(); }

    // Folds in newer values: an item already here takes the newer value,
    // quality, time stamp and error in its place; a new item is appended.
    void Merge(TItemValues& newer);

    size_t Count() const noexcept { return serverHandles_.size(); }
    bool Empty() const noexcept { return serverHandles_.empty(); }
    // S_FALSE when any item's error is not S_OK / quality not exactly good.
    HRESULT MasterError() const noexcept;
    HRESULT MasterQuality() const noexcept;

    OPCHANDLE* ClientHandles() noexcept { return clientHandles_.data(); }
    VARIANT* Values() noexcept { return values_.data(); }
    WORD* Qualities() noexcept { return qualities_.data(); }
    FILETIME* Timestamps() noexcept { return timestamps_.data(); }
    HRESULT* Errors() noexcept { return errors_.data(); }
    const VARIANT& ValueAt(size_t i) const noexcept { return values_[i]; }
    OPCHANDLE ClientHandleAt(size_t i) const noexcept { return clientHandles_[i]; }
    WORD QualityAt(size_t i) const noexcept { return qualities_[i]; }
    const FILETIME& TimestampAt(size_t i) const noexcept { return timestamps_[i]; }

private:
    std::vector<OPCHANDLE> serverHandles_;
    std::vector<OPCHANDLE> clientHandles_;
    std::vector<VARIANT> values_;
    std::vector<WORD> qualities_;
    std::vector<FILETIME> timestamps_;
    std::vector<HRESULT> errors_;
};

// IOPCDataCallback::OnDataChange or OnReadComplete. A scan's data change
// (transaction 0) merges with a newer one while its client is busy.
class TDataCallbackMessage final : public TDeliveryMessage {
public:
    TDataCallbackMessage(TSinkRef sink, OPCHANDLE groupHandle, TCallbackKind kind, OPCHANDLE clientGroup,
                         DWORD transactionId, TItemValues values);
    bool Mergeable() const noexcept override;
    void Merge(TDeliveryMessage& newer) override;
    HRESULT Deliver(IUnknown* sink) override;

private:
    OPCHANDLE clientGroup_;
    DWORD transactionId_;
    TItemValues values_;
};

// IOPCDataCallback::OnWriteComplete.
class TWriteCompleteMessage final : public TDeliveryMessage {
public:
    TWriteCompleteMessage(TSinkRef sink, OPCHANDLE groupHandle, OPCHANDLE clientGroup, DWORD transactionId,
                          std::vector<OPCHANDLE> clientHandles, std::vector<HRESULT> errors);
    HRESULT Deliver(IUnknown* sink) override;

private:
    OPCHANDLE clientGroup_;
    DWORD transactionId_;
    std::vector<OPCHANDLE> clientHandles_;
    std::vector<HRESULT> errors_;
};

// A scan's DA 1.0 data block: the values are kept and the block is written
// when the call is made, so that scans merge while the client is busy.
class TDataStreamMessage final : public TDeliveryMessage {
public:
    TDataStreamMessage(TSinkRef sink, OPCHANDLE groupHandle, CLIPFORMAT format, bool timestamps,
                       bool countTerminator, OPCHANDLE clientGroup, TItemValues values);
    bool Mergeable() const noexcept override { return true; }
    void Merge(TDeliveryMessage& newer) override;
    HRESULT Deliver(IUnknown* sink) override;

private:
    CLIPFORMAT format_;
    bool timestamps_;
    bool countTerminator_;
    OPCHANDLE clientGroup_;
    TItemValues values_;
};

// A finished DA 1.0 block (a read, a refresh, a write completion); the
// message owns it.
class TBlockMessage final : public TDeliveryMessage {
public:
    TBlockMessage(TSinkRef sink, OPCHANDLE groupHandle, TCallbackKind kind, CLIPFORMAT format, HGLOBAL block) noexcept;
    ~TBlockMessage() override;
    HRESULT Deliver(IUnknown* sink) override;

private:
    CLIPFORMAT format_;
    HGLOBAL block_;
};
