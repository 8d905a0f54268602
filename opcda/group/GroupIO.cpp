// Reads and writes of the group: IOPCSyncIO, IOPCAsyncIO2 with its queued
// tasks, and the data-change delivery that the scan and the refreshes share.
#include <algorithm>

#include "cache/ItemCache.h"
#include "cache/ServerItem.h"
#include "com/ComBoundary.h"
#include "contract/OpcError.h"
#include "contract/OpcTypes.h"
#include "group/AsyncTasks.h"
#include "group/GroupImpl.h"
#include "group/GroupItemImpl.h"

namespace {

void CheckSource(DWORD source)
{
    if (source != OPC_DS_CACHE && source != OPC_DS_DEVICE) RaiseOpcError(E_INVALIDARG);
}

// The zero-filled error array that the option AsyncErrorArrays asks for, or none.
TaskMemArray<HRESULT> ZeroErrorsIfAsked(TOpcItemServer& server, DWORD count, HRESULT** ppErrors)
{
    if (ppErrors == nullptr || !server.HasOption(TServerOption::AsyncErrorArrays)) return {};
    return TaskMemArray<HRESULT>(count);
}

}  // namespace

// ---- Pending tasks ----

void TGroupImpl::AddPendingTask(TAsyncTask& task)
{
    pendingTasks_.push_back(&task);
}

void TGroupImpl::ForgetTask(TAsyncTask& task) noexcept
{
    const auto it = std::find(pendingTasks_.begin(), pendingTasks_.end(), &task);
    if (it != pendingTasks_.end()) pendingTasks_.erase(it);
}

bool TGroupImpl::CancelTask(DWORD identity) noexcept
{
    const auto it = std::find_if(pendingTasks_.begin(), pendingTasks_.end(),
                                 [&](const TAsyncTask* task) { return task->Identity() == identity; });
    if (it == pendingTasks_.end()) return false;
    TAsyncTask* task = *it;
    pendingTasks_.erase(it);
    task->Cancel();
    return true;
}

void TGroupImpl::QueueTask(std::unique_ptr<TAsyncTask> task)
{
    // A task that cannot be posted is freed here and leaves the pending list.
    itemServer_.ServerWindow().PostTask(std::move(task));
}

HRESULT TGroupImpl::QueueRefresh(DWORD source, DWORD transactionId, DWORD* cancelId)
{
    return ComBoundary([&] {
        CheckSource(source);
        if (!Active) RaiseOpcError(E_FAIL);
        auto task = std::make_unique<TRefreshTask>(*this, transactionId, source, ActiveItemHandles());
        if (task->Empty()) RaiseOpcError(E_FAIL);  // the task leaves the pending list as it goes
        if (cancelId) *cancelId = task->Identity();
        QueueTask(std::move(task));
    });
}

// ---- Delivery ----

void TGroupImpl::DeliverDataChange(const std::vector<OPCHANDLE>& handles, DWORD source, DWORD transactionId)
{
    if (!callbackSink_ || !Active) return;
    TItemValues values;
    for (OPCHANDLE handle : handles) {
        // Items removed since the handles were taken are left out.
        TGroupItemImpl* item = TGroupItemImpl::FromHandle(handle);
        if (!item || &item->Group() != this) continue;
        values.Add(handle, item->ClientHandle);
        values.LastError() = ComBoundary([&] {
            if (source == OPC_DS_DEVICE)
                item->ReadDevice(*this, values.LastValue(), values.LastQuality(), values.LastTimestamp());
            else
                item->ReadCached(values.LastValue(), values.LastQuality(), values.LastTimestamp());
        });
    }
    if (values.Empty()) return;
    Delivery().Post(std::make_unique<TDataCallbackMessage>(callbackSink_, handle_, TCallbackKind::DataChange,
                                                           ClientHandle, transactionId, std::move(values)));
    NoteUpdateSent();
}

void TGroupImpl::SendReadComplete(DWORD transactionId, TItemValues values)
{
    if (!callbackSink_) return;
    Delivery().Post(std::make_unique<TDataCallbackMessage>(callbackSink_, handle_, TCallbackKind::ReadComplete,
                                                           ClientHandle, transactionId, std::move(values)));
}

void TGroupImpl::SendWriteComplete(DWORD transactionId, std::vector<OPCHANDLE> clientHandles,
                                   std::vector<HRESULT> errors)
{
    if (!callbackSink_) return;
    Delivery().Post(std::make_unique<TWriteCompleteMessage>(callbackSink_, handle_, ClientHandle, transactionId,
                                                            std::move(clientHandles), std::move(errors)));
}

// ---- IOPCSyncIO ----

STDMETHODIMP TGroupImpl::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                              OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppItemValues, ppErrors);
    RETURN_HR_IF(E_POINTER, !ppItemValues || !ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, phServer);
        CheckSource(dwSource);
        TaskMemArray<OPCITEMSTATE> states(dwCount);
        const HRESULT hr = ApplyToItems(dwCount, phServer, ppErrors, [&](TGroupItemImpl& item, size_t i) {
            OPCITEMSTATE& state = states[i];
            if (!TAccessRights::FromOpc(item.Shared().AccessRights()).Readable()) RaiseOpcError(OPC_E_BADRIGHTS);
            state.hClient = item.ClientHandle;
            if (dwSource == OPC_DS_CACHE) {
                item.ReadCached(state.vDataValue, state.wQuality, state.ftTimeStamp);
                if (!item.Active || !item.Group().Active) state.wQuality = OPC_QUALITY_OUT_OF_SERVICE;
            } else {
                item.ReadDevice(*this, state.vDataValue, state.wQuality, state.ftTimeStamp);
            }
            state.wReserved = 0;
        });
        NoteUpdateSent();
        *ppItemValues = states.release();
        return hr;
    });
}

STDMETHODIMP TGroupImpl::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, pItemValues);
        return ApplyToItems(dwCount, phServer, ppErrors,
                            [&](TGroupItemImpl& item, size_t i) { WriteServerItem(item.Shared(), pItemValues[i]); });
    });
}

// ---- IOPCAsyncIO2 ----

STDMETHODIMP TGroupImpl::Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                              HRESULT** ppErrors) noexcept
{
    ClearOutputs(pdwCancelID, ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, pdwCancelID);
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        CheckArrayArgs(dwCount, phServer);
        TaskMemArray<HRESULT> errors = ZeroErrorsIfAsked(itemServer_, dwCount, ppErrors);
        auto task = std::make_unique<TAsyncReadTask>(*this, dwTransactionID, dwCount, phServer);
        const DWORD identity = task->Identity();
        QueueTask(std::move(task));
        *pdwCancelID = identity;
        if (errors.get()) *ppErrors = errors.release();
    });
}

STDMETHODIMP TGroupImpl::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                               DWORD* pdwCancelID, HRESULT** ppErrors) noexcept
{
    ClearOutputs(pdwCancelID, ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, pdwCancelID);
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        CheckArrayArgs(dwCount, phServer);
        CheckArrayArgs(dwCount, pItemValues);
        TaskMemArray<HRESULT> errors = ZeroErrorsIfAsked(itemServer_, dwCount, ppErrors);
        auto task = std::make_unique<TAsyncWriteTask>(*this, dwTransactionID, dwCount, phServer, pItemValues);
        const DWORD identity = task->Identity();
        QueueTask(std::move(task));
        *pdwCancelID = identity;
        if (errors.get()) *ppErrors = errors.release();
    });
}

STDMETHODIMP TGroupImpl::Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) noexcept
{
    ClearOutputs(pdwCancelID);
    RETURN_HR_IF_NULL(E_POINTER, pdwCancelID);
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        RaiseIfFailed(QueueRefresh(dwSource, dwTransactionID, pdwCancelID));
    });
}

STDMETHODIMP TGroupImpl::Cancel2(DWORD dwCancelID) noexcept
{
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        if (!CancelTask(dwCancelID)) RaiseOpcError(E_FAIL);
    });
}

STDMETHODIMP TGroupImpl::SetEnable(BOOL bEnable) noexcept
{
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        Enabled = bEnable != FALSE;
    });
}

STDMETHODIMP TGroupImpl::GetEnable(BOOL* pbEnable) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, pbEnable);
    return ComBoundary([&] {
        CheckNotRemoved();
        CheckCallback();
        *pbEnable = Enabled ? TRUE : FALSE;
    });
}
