// The base of the core's COM objects: reference counting, the process object
// count and one QueryInterface driven by the list of implemented interfaces.
//
//   class TStringEnum : public TComObject<IEnumString> { ... };
//   ComPtr<TStringEnum> e = MakeComObject<TStringEnum>(args...);
//
// Interfaces are answered by __uuidof (declared for the OPC interfaces by the
// generated header, for the system's interfaces by mingw's headers). IUnknown
// is answered with the first interface of the list, so every path to IUnknown
// gives the same pointer.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>
#include <atomic>
#include <utility>

#include "com/ServerObjectCount.h"

using Microsoft::WRL::ComPtr;

template <class First, class... Rest>
class TComObject : public First, public Rest... {
public:
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override
    {
        if (ppv == nullptr) return E_POINTER;
        *ppv = FindInterface(riid);
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() noexcept override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // True when riid is IUnknown or one of the listed interfaces (what
    // ISupportErrorInfo implementations ask).
    bool ImplementsInterface(REFIID riid) noexcept { return FindInterface(riid) != nullptr; }

protected:
    // A new object holds one reference, owned by its creator (MakeComObject).
    TComObject() noexcept { ServerObjectCount::Increment(); }
    virtual ~TComObject() { ServerObjectCount::Decrement(); }

    IUnknown* Identity() noexcept { return static_cast<First*>(this); }

private:
    void* FindInterface(REFIID riid) noexcept
    {
        if (riid == __uuidof(IUnknown)) return Identity();
        void* found = nullptr;
        auto probe = [&]<class I>(I* self) {
            if (found == nullptr && riid == __uuidof(I)) found = self;
        };
        probe(static_cast<First*>(this));
        (probe(static_cast<Rest*>(this)), ...);
        return found;
    }

    std::atomic<ULONG> refs_{1};
};

// Takes over a reference the caller already owns. mingw-w64's ComPtr::Attach
// adds a reference of its own (Microsoft's does not), so never adopt with
// Attach: use this.
template <class T>
ComPtr<T> AdoptRef(T* owned) noexcept
{
    ComPtr<T> pointer;
    *pointer.GetAddressOf() = owned;
    return pointer;
}

// Creates a COM object and hands its first reference to the returned pointer.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args)
{
    return AdoptRef(new T(std::forward<Args>(args)...));
}
