// Waiting for the callback a test checks (the value it wrote, the completion
// of its transaction), never for a number of callbacks: a server may report
// a value twice (a connect-time refresh and the first scan both may), and a
// count then races with what the test does next.
//
// The records live in deques, so a record handed out stays where it is
// while later callbacks arrive.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "AdviseSinkRecorder.h"
#include "DataCallbackRecorder.h"
#include "MessagePump.h"
#include "TestValues.h"

using TCallbackMatch = std::function<bool(const TCallbackRecord&)>;

// The first callback of kind that match accepts, or null.
inline const TCallbackRecord* FindCallback(const TDataCallbackRecorder& sink, TCallbackRecord::TKind kind,
                                           const TCallbackMatch& match)
{
    for (const TCallbackRecord& record : sink.records)
        if (record.kind == kind && match(record)) return &record;
    return nullptr;
}

// How many callbacks of kind match accepts.
inline size_t CountCallbacks(const TDataCallbackRecorder& sink, TCallbackRecord::TKind kind,
                             const TCallbackMatch& match)
{
    size_t n = 0;
    for (const TCallbackRecord& record : sink.records) n += record.kind == kind && match(record) ? 1 : 0;
    return n;
}

// Pumps until a callback of kind that match accepts has arrived; that
// callback, or null when none came within timeoutMs.
inline const TCallbackRecord* WaitForCallback(const TDataCallbackRecorder& sink, TCallbackRecord::TKind kind,
                                              const TCallbackMatch& match, DWORD timeoutMs = kEventTimeoutMs)
{
    const TCallbackRecord* found = nullptr;
    PumpUntil([&] { return (found = FindCallback(sink, kind, match)) != nullptr; }, timeoutMs);
    return found;
}

// Matches a callback that reports the item with client handle hClient.
inline TCallbackMatch Reports(OPCHANDLE hClient)
{
    return [hClient](const TCallbackRecord& record) { return record.Find(hClient) != nullptr; };
}

// Matches a callback that reports the item hClient with the text value.
inline TCallbackMatch Reports(OPCHANDLE hClient, const std::wstring& text)
{
    return [hClient, text](const TCallbackRecord& record) {
        const TItemUpdate* item = record.Find(hClient);
        return item != nullptr && TextOf(item->value.get()) == text;
    };
}

// Matches a callback that carries transactionId.
inline TCallbackMatch Carries(DWORD transactionId)
{
    return [transactionId](const TCallbackRecord& record) { return record.transactionId == transactionId; };
}

// A data change that reports the item hClient with the text value.
inline const TCallbackRecord* WaitForDataChange(const TDataCallbackRecorder& sink, OPCHANDLE hClient,
                                                const std::wstring& text, DWORD timeoutMs = kEventTimeoutMs)
{
    return WaitForCallback(sink, TCallbackRecord::TKind::DataChange, Reports(hClient, text), timeoutMs);
}

// The callback of kind that completes transactionId (for a refresh, its data change).
inline const TCallbackRecord* WaitForTransaction(const TDataCallbackRecorder& sink, TCallbackRecord::TKind kind,
                                                 DWORD transactionId, DWORD timeoutMs = kEventTimeoutMs)
{
    return WaitForCallback(sink, kind, Carries(transactionId), timeoutMs);
}

using TBlockMatch = std::function<bool(const TReceivedBlock&)>;

// Pumps until a DA 1.0 block of format that match accepts has arrived; that
// block, or null when none came within timeoutMs.
inline const TReceivedBlock* WaitForBlock(const TAdviseSinkRecorder& sink, CLIPFORMAT format, const TBlockMatch& match,
                                          DWORD timeoutMs = kEventTimeoutMs)
{
    const TReceivedBlock* found = nullptr;
    PumpUntil(
        [&] {
            for (const TReceivedBlock& block : sink.blocks)
                if (block.format == format && match(block)) return (found = &block) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}
