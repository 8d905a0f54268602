#include "group/AsyncTasks.h"

#include "cache/ItemCache.h"
#include "cache/ServerItem.h"
#include "cache/WrittenValue.h"
#include "com/ComBoundary.h"
#include "com/HandleTable.h"
#include "group/GroupImpl.h"
#include "group/DataStream.h"
#include "group/GroupItemImpl.h"
#include "host/DataFormats.h"

namespace {

// Every task not yet freed, by identity: a cancel ID from a client is looked
// up, never dereferenced.
THandleTable<TAsyncTask>& LiveTasks()
{
    static THandleTable<TAsyncTask> table;
    return table;
}

}  // namespace

// ---- TAsyncTask ----

TAsyncTask::TAsyncTask(TGroupImpl& group, DWORD transactionId) : group_(&group), transactionId_(transactionId)
{
    identity_ = LiveTasks().Add(this);
    try {
        group.AddPendingTask(*this);
    } catch (...) {
        LiveTasks().Remove(identity_);
        throw;
    }
}

TAsyncTask::~TAsyncTask()
{
    LiveTasks().Remove(identity_);
    if (group_) group_->ForgetTask(*this);
}

void TAsyncTask::Cancel() noexcept
{
    cancelled_ = true;
    group_ = nullptr;
}

void TAsyncTask::Run()
{
    if (cancelled_ || group_ == nullptr) return;
    TGroupImpl& group = *group_;
    // From here the task is running, no longer pending: Cancel2 answers E_FAIL.
    group.ForgetTask(*this);
    group_ = nullptr;
    TGroupImpl::TGroupHold hold(group);
    Execute(group);
}

TAsyncIOTask::TAsyncIOTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles)
    : TAsyncTask(group, transactionId), handles_(handles, handles + count)
{
}

// ---- DA 2.0 read and write ----

TAsyncReadTask::TAsyncReadTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles)
    : TAsyncIOTask(group, transactionId, count, handles)
{
}

void TAsyncReadTask::Execute(TGroupImpl& group)
{
    TItemValues done;
    for (OPCHANDLE handle : handles_) {
        done.Add(handle, 0);
        done.LastError() = ComBoundary([&] {
            TGroupItemImpl& item = group.ValidateItemHandle(handle);
            done.ClientHandles()[done.Count() - 1] = item.ClientHandle;
            item.ReadDevice(group, done.LastValue(), done.LastQuality(), done.LastTimestamp());
        });
    }
    group.SendReadComplete(TransactionId(), std::move(done));
}

TAsyncWriteTask::TAsyncWriteTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles,
                                 const VARIANT* values)
    : TAsyncIOTask(group, transactionId, count, handles), holdErrors_(count, S_OK)
{
    // The task runs after the call has returned, when the stub has freed what
    // a value by reference pointed at: it holds the values themselves.
    values_.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        try {
            values_.push_back(HeldWriteValue(values[i]));
        } catch (const EOpcError& e) {
            values_.emplace_back();
            holdErrors_[i] = ExceptionToHResult(e);
        }
    }
}

void TAsyncWriteTask::WriteAll(TGroupImpl& group, std::vector<OPCHANDLE>& clientHandles, std::vector<HRESULT>& errors)
{
    for (size_t i = 0; i < handles_.size(); ++i) {
        errors[i] = ComBoundary([&] {
            TGroupItemImpl& item = group.ValidateItemHandle(handles_[i]);
            clientHandles[i] = item.ClientHandle;
            RaiseIfFailed(holdErrors_[i]);
            WriteServerItem(item.Shared(), values_[i].get());
        });
    }
}

void TAsyncWriteTask::Execute(TGroupImpl& group)
{
    std::vector<OPCHANDLE> clientHandles(handles_.size(), 0);
    std::vector<HRESULT> errors(handles_.size(), S_OK);
    WriteAll(group, clientHandles, errors);
    group.SendWriteComplete(TransactionId(), std::move(clientHandles), std::move(errors));
}

// ---- Refresh ----

TRefreshTask::TRefreshTask(TGroupImpl& group, DWORD transactionId, DWORD source, std::vector<OPCHANDLE> items)
    : TAsyncTask(group, transactionId), source_(source), items_(std::move(items))
{
}

void TRefreshTask::Execute(TGroupImpl& group)
{
    group.DeliverDataChange(items_, source_, TransactionId());
}

// ---- DA 1.0: blocks for the advise sinks, transaction ID = the task's identity ----

TAsyncReadTask1::TAsyncReadTask1(TGroupImpl& group, DWORD connection, DWORD source, DWORD count,
                                 const OPCHANDLE* handles)
    : TAsyncIOTask(group, 0, count, handles), connection_(connection), source_(source)
{
}

void TAsyncReadTask1::Execute(TGroupImpl& group)
{
    group.DeliverReadStream(handles_, source_, Identity(), connection_);
}

TAsyncWriteTask1::TAsyncWriteTask1(TGroupImpl& group, DWORD count, const OPCHANDLE* handles, const VARIANT* values)
    : TAsyncWriteTask(group, 0, count, handles, values)
{
}

void TAsyncWriteTask1::Execute(TGroupImpl& group)
{
    std::vector<OPCHANDLE> clientHandles(handles_.size(), 0);
    std::vector<HRESULT> errors(handles_.size(), S_OK);
    WriteAll(group, clientHandles, errors);
    if (!group.HasAdviseSink(2)) return;
    group.SendBlock(2, DataFormats().WriteComplete,
                    BuildWriteCompleteBlock(group.ClientHandle, Identity(), clientHandles, errors),
                    TCallbackKind::WriteComplete10);
}

TRefreshTask1::TRefreshTask1(TGroupImpl& group, DWORD connection, DWORD source, std::vector<OPCHANDLE> items)
    : TRefreshTask(group, 0, source, std::move(items)), connection_(connection)
{
}

void TRefreshTask1::Execute(TGroupImpl& group)
{
    group.DeliverDataStream(items_, source_, Identity(), connection_);
}
