// The sinks through which watch receives data changes: the DA 2.0 callback
// and the DA 1.0 advise sink. Both hand each changed item to one function.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "com/ComObject.h"
#include "opcda.h"

struct TWatchChange {
    OPCHANDLE ClientHandle = 0;
    const VARIANT* Value = nullptr;
    WORD Quality = 0;
    FILETIME TimeStamp{};
    HRESULT Error = S_OK;
};

using TChangeHandler = std::function<void(const TWatchChange&)>;

// A data callback for clients that only subscribe: the completions of
// asynchronous calls they never make are answered and ignored.
class TDataChangeSink : public TComObject<IOPCDataCallback> {
public:
    STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*, FILETIME*,
                                HRESULT*) noexcept override
    {
        return S_OK;
    }
    STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) noexcept override
    {
        return S_OK;
    }
    STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) noexcept override { return S_OK; }
};

class TWatchCallback final : public TDataChangeSink {
public:
    explicit TWatchCallback(TChangeHandler handler) : handler_(std::move(handler)) {}

    STDMETHODIMP OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                              DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                              FILETIME* pftTimeStamps, HRESULT* pErrors) noexcept override;

private:
    TChangeHandler handler_;
};

// Receives blocks of the format it was advised for (with or without time
// stamps); a block that does not read goes to badBlock with the reason.
class TWatchAdviseSink final : public TComObject<IAdviseSink> {
public:
    TWatchAdviseSink(CLIPFORMAT format, bool withTimeStamps, TChangeHandler handler,
                     std::function<void(const std::string&)> badBlock)
        : format_(format), withTimeStamps_(withTimeStamps), handler_(std::move(handler)), badBlock_(std::move(badBlock))
    {
    }

    STDMETHODIMP_(void) OnDataChange(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) noexcept override {}
    STDMETHODIMP_(void) OnRename(IMoniker*) noexcept override {}
    STDMETHODIMP_(void) OnSave() noexcept override {}
    STDMETHODIMP_(void) OnClose() noexcept override {}

private:
    CLIPFORMAT format_;
    bool withTimeStamps_;
    TChangeHandler handler_;
    std::function<void(const std::string&)> badBlock_;
};
