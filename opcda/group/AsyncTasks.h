// Asynchronous requests of a group as tasks queued on the server window:
// they run after the call that queued them has returned, on the main thread,
// in the order they were queued.
//
// A task is owned by the message that carries it, never by its group: the
// group only lists it as pending so that it can be cancelled. A cancelled
// task (by Cancel2, or because its group went) is freed unrun.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "com/ComOwners.h"
#include "host/ServerWindow.h"
#include "opcda.h"

class TGroupImpl;

class TAsyncTask : public TQueuedTask {
public:
    ~TAsyncTask() override;
    TAsyncTask(const TAsyncTask&) = delete;
    TAsyncTask& operator=(const TAsyncTask&) = delete;

    // The task's 32-bit identity: the cancel ID (and the DA 1.0 transaction ID).
    DWORD Identity() const noexcept { return identity_; }
    DWORD TransactionId() const noexcept { return transactionId_; }
    bool Cancelled() const noexcept { return cancelled_; }
    // Marks the task so that it is freed unrun; it forgets its group.
    void Cancel() noexcept;

protected:
    // Enters the task in the group's pending tasks.
    TAsyncTask(TGroupImpl& group, DWORD transactionId);
    // The work, on the main thread, with the group held alive.
    virtual void Execute(TGroupImpl& group) = 0;

private:
    void Run() final;

    TGroupImpl* group_;  // null once cancelled
    DWORD transactionId_;
    DWORD identity_ = 0;
    bool cancelled_ = false;
};

// A request on a list of items (read, write).
class TAsyncIOTask : public TAsyncTask {
protected:
    TAsyncIOTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles);
    std::vector<OPCHANDLE> handles_;
};

// IOPCAsyncIO2::Read: device reads, completed by OnReadComplete.
class TAsyncReadTask : public TAsyncIOTask {
public:
    TAsyncReadTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles);

protected:
    void Execute(TGroupImpl& group) override;
};

// IOPCAsyncIO2::Write: writes of the values as they were at the call,
// completed by OnWriteComplete.
class TAsyncWriteTask : public TAsyncIOTask {
public:
    TAsyncWriteTask(TGroupImpl& group, DWORD transactionId, DWORD count, const OPCHANDLE* handles,
                    const VARIANT* values);

protected:
    void Execute(TGroupImpl& group) override;
    // Writes every item; the client handles and errors per item.
    void WriteAll(TGroupImpl& group, std::vector<OPCHANDLE>& clientHandles, std::vector<HRESULT>& errors);

    // The values held for the task (HeldWriteValue), and for each one that
    // could not be held the error its write reports.
    std::vector<UniqueVariant> values_;
    std::vector<HRESULT> holdErrors_;
};

// IOPCAsyncIO2::Refresh2 (and the refresh at connecting a callback): the
// active items at the moment of the request, reported by OnDataChange.
class TRefreshTask : public TAsyncTask {
public:
    TRefreshTask(TGroupImpl& group, DWORD transactionId, DWORD source, std::vector<OPCHANDLE> items);
    bool Empty() const noexcept { return items_.empty(); }

protected:
    void Execute(TGroupImpl& group) override;

    DWORD source_;
    std::vector<OPCHANDLE> items_;  // items removed since are left out
};

// IOPCAsyncIO::Read (DA 1.0): a data block for its connection over its
// handles, sent to the advise sink of the block's kind.
class TAsyncReadTask1 : public TAsyncIOTask {
public:
    TAsyncReadTask1(TGroupImpl& group, DWORD connection, DWORD source, DWORD count, const OPCHANDLE* handles);

protected:
    void Execute(TGroupImpl& group) override;

    DWORD connection_;
    DWORD source_;
};

// IOPCAsyncIO::Write (DA 1.0): the writes, then a write-completion block to
// the write-completion sink.
class TAsyncWriteTask1 : public TAsyncWriteTask {
public:
    TAsyncWriteTask1(TGroupImpl& group, DWORD count, const OPCHANDLE* handles, const VARIANT* values);

protected:
    void Execute(TGroupImpl& group) override;
};

// IOPCAsyncIO::Refresh (and the refresh at DAdvise): a data block for its
// connection over the items active at the request.
class TRefreshTask1 : public TRefreshTask {
public:
    TRefreshTask1(TGroupImpl& group, DWORD connection, DWORD source, std::vector<OPCHANDLE> items);

protected:
    void Execute(TGroupImpl& group) override;

    DWORD connection_;
};
