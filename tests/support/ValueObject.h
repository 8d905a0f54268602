// An object a client might put into a written value: asked for its value
// through IDispatch::Invoke, it gives a text and counts the call, so a test
// can prove that the server never asked.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <atomic>

#include "com/ComObject.h"

class TValueObject final : public TComObject<IDispatch> {
public:
    std::atomic<int> Invoked{0};
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) noexcept override
    {
        ++Invoked;
        if (result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"from the client's object");
        }
        return S_OK;
    }
};
