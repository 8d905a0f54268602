// An IOPCDataCallback sink for client-side tests: it keeps a copy of every
// data change, read completion and write completion it receives, in a deque,
// so that a record stays where it is while later ones arrive.
#pragma once
#include <windows.h>

#include <deque>
#include <vector>

#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/ComOwners.h"
#include "opcda.h"

struct TItemUpdate {
    OPCHANDLE hClient = 0;
    UniqueVariant value;
    WORD quality = 0;
    FILETIME stamp{};
    HRESULT error = S_OK;
};

// One callback as it arrived; writes carry no values, qualities or stamps.
struct TCallbackRecord {
    enum class TKind { DataChange, ReadComplete, WriteComplete, CancelComplete } kind = TKind::DataChange;
    DWORD transactionId = 0;
    OPCHANDLE hGroup = 0;
    HRESULT masterQuality = S_OK;
    HRESULT masterError = S_OK;
    std::vector<TItemUpdate> items;

    // The entry for a client handle, or null.
    const TItemUpdate* Find(OPCHANDLE hClient) const
    {
        for (const auto& item : items)
            if (item.hClient == hClient) return &item;
        return nullptr;
    }
};

class TDataCallbackRecorder final : public TComObject<IOPCDataCallback> {
public:
    using TKind = TCallbackRecord::TKind;

    std::deque<TCallbackRecord> records;
    // What every callback returns to the server.
    HRESULT answer = S_OK;

    size_t Count(TKind kind) const
    {
        size_t n = 0;
        for (const auto& r : records) n += r.kind == kind ? 1 : 0;
        return n;
    }
    const TCallbackRecord* Last(TKind kind) const
    {
        for (auto it = records.rbegin(); it != records.rend(); ++it)
            if (it->kind == kind) return &*it;
        return nullptr;
    }

    STDMETHODIMP OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                              DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                              FILETIME* pftTimeStamps, HRESULT* pErrors) noexcept override
    {
        return Record(TKind::DataChange, dwTransid, hGroup, hrMasterquality, hrMastererror, dwCount, phClientItems,
                      pvValues, pwQualities, pftTimeStamps, pErrors);
    }
    STDMETHODIMP OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                                DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                                FILETIME* pftTimeStamps, HRESULT* pErrors) noexcept override
    {
        return Record(TKind::ReadComplete, dwTransid, hGroup, hrMasterquality, hrMastererror, dwCount, phClientItems,
                      pvValues, pwQualities, pftTimeStamps, pErrors);
    }
    STDMETHODIMP OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                 OPCHANDLE* pClienthandles, HRESULT* pErrors) noexcept override
    {
        return Record(TKind::WriteComplete, dwTransid, hGroup, S_OK, hrMastererr, dwCount, pClienthandles, nullptr,
                      nullptr, nullptr, pErrors);
    }
    STDMETHODIMP OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) noexcept override
    {
        return Record(TKind::CancelComplete, dwTransid, hGroup, S_OK, S_OK, 0, nullptr, nullptr, nullptr, nullptr,
                      nullptr);
    }

private:
    HRESULT Record(TKind kind, DWORD transactionId, OPCHANDLE hGroup, HRESULT masterQuality, HRESULT masterError,
                   DWORD count, const OPCHANDLE* clients, const VARIANT* values, const WORD* qualities,
                   const FILETIME* stamps, const HRESULT* errors)
    {
        if (count && (!clients || !errors)) return E_INVALIDARG;
        const HRESULT hr = ComBoundary([&] {
            TCallbackRecord record;
            record.kind = kind;
            record.transactionId = transactionId;
            record.hGroup = hGroup;
            record.masterQuality = masterQuality;
            record.masterError = masterError;
            for (DWORD i = 0; i < count; ++i) {
                TItemUpdate item;
                item.hClient = clients[i];
                if (values) item.value = UniqueVariant::CopyOf(values[i]);
                if (qualities) item.quality = qualities[i];
                if (stamps) item.stamp = stamps[i];
                item.error = errors[i];
                record.items.push_back(std::move(item));
            }
            records.push_back(std::move(record));
        });
        return FAILED(hr) ? hr : answer;
    }
};
