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
    if (!ConnectedSink() || !Active) return;
    // Items removed since the handles were taken are left out.
    std::vector<TGroupItemImpl*> items;
    items.reserve(handles.size());
    for (OPCHANDLE handle : handles) {
        TGroupItemImpl* item = TGroupItemImpl::FromHandle(handle);
        if (item && &item->Group() == this) items.push_back(item);
    }
    if (items.empty()) return;

    const size_t n = items.size();
    std::vector<OPCHANDLE> clientHandles(n);
    std::vector<VARIANT> values(n);
    std::vector<WORD> qualities(n, 0);
    std::vector<FILETIME> timestamps(n, FILETIME{});
    std::vector<HRESULT> errors(n, S_OK);
    for (VARIANT& v : values) VariantInit(&v);
    struct TClear {
        std::vector<VARIANT>& values;
        ~TClear()
        {
            for (VARIANT& v : values) VariantClear(&v);
        }
    } clear{values};

    bool anyError = false, anyNotGood = false;
    for (size_t i = 0; i < n; ++i) {
        TGroupItemImpl& item = *items[i];
        clientHandles[i] = item.ClientHandle;
        errors[i] = ComBoundary([&] {
            if (source == OPC_DS_DEVICE)
                item.ReadDevice(*this, values[i], qualities[i], timestamps[i]);
            else
                item.ReadCached(values[i], qualities[i], timestamps[i]);
        });
        anyError = anyError || errors[i] != S_OK;
        anyNotGood = anyNotGood || qualities[i] != OPC_QUALITY_GOOD;
    }
    const DWORD count = static_cast<DWORD>(n);
    CallDataCallback(TCallbackKind::DataChange, [&](IOPCDataCallback* sink) {
        return sink->OnDataChange(transactionId, ClientHandle, anyNotGood ? S_FALSE : S_OK, anyError ? S_FALSE : S_OK,
                                  count, clientHandles.data(), values.data(), qualities.data(), timestamps.data(),
                                  errors.data());
    });
    NoteUpdateSent();
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
