// The group's DA 1.0 side: IDataObject advise with the three stream formats,
// IOPCAsyncIO with its queued tasks, and the blocks it sends.
#include <olectl.h>

#include "com/ComBoundary.h"
#include "contract/OpcError.h"
#include "contract/OpcTypes.h"
#include "group/AsyncTasks.h"
#include "group/DataStream.h"
#include "group/GroupImpl.h"
#include "group/GroupItemImpl.h"
#include "host/DataFormats.h"
#include "server/ServerImpl.h"

namespace {

void CheckSource1(DWORD source)
{
    if (source != OPC_DS_CACHE && source != OPC_DS_DEVICE) RaiseOpcError(E_INVALIDARG);
}

// Appends entry i of a data block: the item that find() gives (it may raise,
// as a handle check does) and its value from the cache or the device, read
// through reader. An entry that cannot be read goes with client handle as far
// as known, quality 0, no time stamp and VT_NULL.
template <class Find>
void AppendBlockItem(TDataChangeStream& stream, size_t i, DWORD source, const TGroupImpl& reader, Find find)
{
    UniqueVariant value;
    WORD quality = 0;
    FILETIME stamp{};
    DWORD clientHandle = 0;
    const HRESULT read = ComBoundary([&] {
        TGroupItemImpl& item = find();
        clientHandle = item.ClientHandle;
        if (source == OPC_DS_DEVICE)
            item.ReadDevice(reader, *value.put(), quality, stamp);
        else
            item.ReadCached(*value.put(), quality, stamp);
    });
    if (FAILED(read)) {
        V_VT(value.put()) = VT_NULL;
        quality = 0;
        stamp = FILETIME{};
    }
    stream.BeginItem(i, clientHandle, quality);
    stream.SetItemTimestamp(i, stamp);
    stream.AppendValue(value.get());
}

}  // namespace

// ---- IDataObject ----

STDMETHODIMP TGroupImpl::DAdvise(FORMATETC* pformatetc, DWORD /*advf*/, IAdviseSink* pAdvSink,
                                 DWORD* pdwConnection) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, pdwConnection);
    *pdwConnection = 0xFFFFFFFF;
    RETURN_HR_IF(E_INVALIDARG, pformatetc == nullptr || pAdvSink == nullptr);
    return ComBoundary([&] {
        if (pformatetc->lindex != -1) RaiseOpcError(DV_E_LINDEX);
        if (pformatetc->dwAspect != DVASPECT_CONTENT || pformatetc->ptd != nullptr ||
            pformatetc->tymed != TYMED_HGLOBAL)
            RaiseOpcError(DV_E_FORMATETC);
        const int index = DataFormats().IndexOf(pformatetc->cfFormat);
        if (index < 0) RaiseOpcError(DV_E_FORMATETC);
        if (adviseSinks_[index]) RaiseOpcError(CONNECT_E_ADVISELIMIT);
        adviseSinks_[index] = server_.ConnectSink(IID_IAdviseSink, pAdvSink);
        *pdwConnection = static_cast<DWORD>(index);
        // The new connection gets the current values of the active items.
        QueueRefresh1(static_cast<DWORD>(index), OPC_DS_CACHE, nullptr);
    });
}

STDMETHODIMP TGroupImpl::DUnadvise(DWORD dwConnection) noexcept
{
    if (dwConnection > 2 || !adviseSinks_[dwConnection]) return OLE_E_NOCONNECTION;
    Delivery().Revoke(adviseSinks_[dwConnection]);
    adviseSinks_[dwConnection].reset();
    return S_OK;
}

STDMETHODIMP TGroupImpl::EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept
{
    ClearOutputs(ppenumAdvise);
    return E_NOTIMPL;
}

STDMETHODIMP TGroupImpl::EnumFormatEtc(DWORD, IEnumFORMATETC** ppenumFormatEtc) noexcept
{
    ClearOutputs(ppenumFormatEtc);
    return E_NOTIMPL;
}

STDMETHODIMP TGroupImpl::GetData(FORMATETC*, STGMEDIUM*) noexcept { return E_NOTIMPL; }
STDMETHODIMP TGroupImpl::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept { return E_NOTIMPL; }
STDMETHODIMP TGroupImpl::QueryGetData(FORMATETC*) noexcept { return E_NOTIMPL; }
STDMETHODIMP TGroupImpl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept { return E_NOTIMPL; }
STDMETHODIMP TGroupImpl::SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept { return E_NOTIMPL; }

void TGroupImpl::DropAdviseSinks() noexcept
{
    for (auto& sink : adviseSinks_) {
        Delivery().Revoke(sink);
        sink.reset();
    }
}

// ---- Blocks ----

void TGroupImpl::SendBlock(DWORD connection, CLIPFORMAT format, HGLOBAL block, TCallbackKind kind)
{
    auto message = std::make_unique<TBlockMessage>(connection < 3 ? adviseSinks_[connection] : TSinkRef(), handle_,
                                                   kind, format, block);
    if (connection < 3 && adviseSinks_[connection]) Delivery().Post(std::move(message));
}

void TGroupImpl::DeliverDataStream(const std::vector<OPCHANDLE>& handles, DWORD source, DWORD transactionId,
                                   DWORD connection)
{
    if (connection > 2 || !adviseSinks_[connection] || !Active) return;
    // A request on the write-completion connection gets a plain data block,
    // on the data sink: the write-completion sink only ever receives
    // write-completion blocks.
    const DWORD target = connection == 2 ? 0 : connection;
    if (!adviseSinks_[target]) return;
    std::vector<TGroupItemImpl*> items;
    items.reserve(handles.size());
    for (OPCHANDLE handle : handles) {
        TGroupItemImpl* item = TGroupItemImpl::FromHandle(handle);
        if (item && &item->Group() == this) items.push_back(item);  // removed items are left out
    }
    if (items.empty()) return;
    if (transactionId == 0) {
        // A scan: the values go as they are, so that scans merge while the
        // client is busy; the block is written when the call is made.
        TItemValues values;
        for (TGroupItemImpl* item : items) {
            values.Add(item->ServerHandle(), item->ClientHandle);
            const HRESULT read = ComBoundary([&] {
                if (source == OPC_DS_DEVICE)
                    item->ReadDevice(*this, values.LastValue(), values.LastQuality(), values.LastTimestamp());
                else
                    item->ReadCached(values.LastValue(), values.LastQuality(), values.LastTimestamp());
            });
            if (FAILED(read)) {
                VariantClear(&values.LastValue());
                V_VT(&values.LastValue()) = VT_NULL;
                values.LastQuality() = 0;
                values.LastTimestamp() = FILETIME{};
            }
        }
        Delivery().Post(std::make_unique<TDataStreamMessage>(
            adviseSinks_[target], handle_, DataFormats().At(static_cast<int>(target)), target == 1,
            itemServer_.HasOption(TServerOption::StreamLengthCountsTerminator), ClientHandle, std::move(values)));
        return;
    }
    TDataChangeStream stream(target == 1, itemServer_.HasOption(TServerOption::StreamLengthCountsTerminator),
                             items.size(), ClientHandle, transactionId);
    for (size_t i = 0; i < items.size(); ++i)
        AppendBlockItem(stream, i, source, *this, [&]() -> TGroupItemImpl& { return *items[i]; });
    SendBlock(target, DataFormats().At(static_cast<int>(target)), stream.Finish(), TCallbackKind::DataChange10);
}

void TGroupImpl::DeliverReadStream(const std::vector<OPCHANDLE>& handles, DWORD source, DWORD transactionId,
                                   DWORD connection)
{
    const DWORD target = connection == 1 ? 1 : 0;
    if (!adviseSinks_[target]) return;
    TDataChangeStream stream(target == 1, itemServer_.HasOption(TServerOption::StreamLengthCountsTerminator),
                             handles.size(), ClientHandle, transactionId);
    for (size_t i = 0; i < handles.size(); ++i)
        AppendBlockItem(stream, i, source, *this, [&]() -> TGroupItemImpl& { return ValidateItemHandle(handles[i]); });
    SendBlock(target, DataFormats().At(static_cast<int>(target)), stream.Finish(), TCallbackKind::ReadComplete10);
}

// ---- IOPCAsyncIO ----

void TGroupImpl::CheckConnection(DWORD connection) const
{
    if (connection > 2 || !adviseSinks_[connection]) RaiseOpcError(CONNECT_E_NOCONNECTION);
}

bool TGroupImpl::PreValidateHandles(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors) const
{
    std::vector<HRESULT> results(count, S_OK);
    bool anyFailed = false;
    for (DWORD i = 0; i < count; ++i) {
        results[i] = ComBoundary([&] { ValidateItemHandle(handles[i]); });
        anyFailed = anyFailed || FAILED(results[i]);
    }
    if (!anyFailed) return false;
    TaskMemArray<HRESULT> errors(count);
    std::copy(results.begin(), results.end(), errors.begin());
    *ppErrors = errors.release();
    return true;
}

HRESULT TGroupImpl::QueueRefresh1(DWORD connection, DWORD source, DWORD* transactionId)
{
    return ComBoundary([&] {
        CheckConnection(connection);
        CheckSource1(source);
        if (!Active) RaiseOpcError(E_FAIL);
        auto task = std::make_unique<TRefreshTask1>(*this, connection, source, ActiveItemHandles());
        if (task->Empty()) RaiseOpcError(E_FAIL);
        if (transactionId) *transactionId = task->Identity();
        QueueTask(std::move(task));
    });
}

STDMETHODIMP TGroupImpl::Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                              DWORD* pTransactionID, HRESULT** ppErrors) noexcept
{
    ClearOutputs(pTransactionID, ppErrors);
    RETURN_HR_IF(E_POINTER, !pTransactionID || !ppErrors);
    return ComBoundary([&]() -> HRESULT {
        CheckNotRemoved();
        CheckArrayArgs(dwCount, phServer);
        CheckConnection(dwConnection);
        CheckSource1(dwSource);
        if (PreValidateHandles(dwCount, phServer, ppErrors)) return S_FALSE;  // nothing queued
        TaskMemArray<HRESULT> errors;
        if (itemServer_.HasOption(TServerOption::AsyncErrorArrays)) errors = TaskMemArray<HRESULT>(dwCount);
        auto task = std::make_unique<TAsyncReadTask1>(*this, dwConnection, dwSource, dwCount, phServer);
        const DWORD identity = task->Identity();
        QueueTask(std::move(task));
        *pTransactionID = identity;
        if (errors.get()) *ppErrors = errors.release();
        return S_OK;
    });
}

STDMETHODIMP TGroupImpl::Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                               DWORD* pTransactionID, HRESULT** ppErrors) noexcept
{
    ClearOutputs(pTransactionID, ppErrors);
    RETURN_HR_IF(E_POINTER, !pTransactionID || !ppErrors);
    return ComBoundary([&]() -> HRESULT {
        CheckNotRemoved();
        CheckArrayArgs(dwCount, phServer);
        CheckArrayArgs(dwCount, pItemValues);
        CheckConnection(dwConnection);
        if (PreValidateHandles(dwCount, phServer, ppErrors)) return S_FALSE;
        TaskMemArray<HRESULT> errors;
        if (itemServer_.HasOption(TServerOption::AsyncErrorArrays)) errors = TaskMemArray<HRESULT>(dwCount);
        auto task = std::make_unique<TAsyncWriteTask1>(*this, dwCount, phServer, pItemValues);
        const DWORD identity = task->Identity();
        QueueTask(std::move(task));
        *pTransactionID = identity;
        if (errors.get()) *ppErrors = errors.release();
        return S_OK;
    });
}

STDMETHODIMP TGroupImpl::Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) noexcept
{
    ClearOutputs(pTransactionID);
    RETURN_HR_IF_NULL(E_POINTER, pTransactionID);
    return ComBoundary([&] {
        CheckNotRemoved();
        RaiseIfFailed(QueueRefresh1(dwConnection, dwSource, pTransactionID));
    });
}

STDMETHODIMP TGroupImpl::Cancel(DWORD dwTransactionID) noexcept
{
    return ComBoundary([&] {
        CheckNotRemoved();
        if (!CancelTask(dwTransactionID)) RaiseOpcError(E_FAIL);
    });
}
