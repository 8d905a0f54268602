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
//
// Two variations, chosen by the class rather than written by hand:
// - objects whose life does not keep the process alive (a class object)
//   pass TProcessLifetime::Independent to the constructor;
// - objects contained in an owner (a connection point) derive from
//   TContainedComObject and share the owner's reference count.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>
#include <atomic>
#include <utility>

#include "com/ServerObjectCount.h"

using Microsoft::WRL::ComPtr;

// The interface table of an object: which pointer answers which IID.
template <class First, class... Rest>
class TInterfaceTable : public First, public Rest... {
public:
    // True when riid is IUnknown or one of the listed interfaces (what
    // ISupportErrorInfo implementations ask).
    bool ImplementsInterface(REFIID riid) noexcept { return FindInterface(riid) != nullptr; }

protected:
    IUnknown* Identity() noexcept { return static_cast<First*>(this); }

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

    // QueryInterface over the table; the reference is taken through the
    // object's own AddRef, whichever count that is.
    HRESULT QueryTable(REFIID riid, void** ppv) noexcept
    {
        if (ppv == nullptr) return E_POINTER;
        *ppv = FindInterface(riid);
        if (*ppv == nullptr) return E_NOINTERFACE;
        Identity()->AddRef();
        return S_OK;
    }
};

// Whether a live object keeps a COM-started process running.
enum class TProcessLifetime {
    Counted,      // a client's object: the process ends only after it
    Independent,  // part of the process itself (a class object)
};

template <class First, class... Rest>
class TComObject : public TInterfaceTable<First, Rest...> {
public:
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override { return this->QueryTable(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() noexcept override
    {
        const ULONG left = --refs_;
        if (left == 0) FinalRelease();
        return left;
    }

protected:
    // A new object holds one reference, owned by its creator (MakeComObject).
    explicit TComObject(TProcessLifetime lifetime = TProcessLifetime::Counted) noexcept : lifetime_(lifetime)
    {
        if (lifetime_ == TProcessLifetime::Counted) ServerObjectCount::Increment();
    }
    virtual ~TComObject()
    {
        if (lifetime_ == TProcessLifetime::Counted) ServerObjectCount::Decrement();
    }

    // Runs when the last reference is released. The default destroys the
    // object; an object that an owner also holds (a group in its server's
    // list) may live on and be destroyed by that owner later.
    virtual void FinalRelease() noexcept { delete this; }

    // The number of references held now; for owners that must know whether
    // clients still hold the object.
    ULONG RefCount() const noexcept { return refs_.load(); }

private:
    std::atomic<ULONG> refs_{1};
    const TProcessLifetime lifetime_;
};

// An object that lives inside its owner: it answers its own interfaces but
// shares the owner's reference count, so it lives exactly as long as the
// owner. The owner holds it; it refers back without a reference, so there is
// no cycle.
template <class First, class... Rest>
class TContainedComObject : public TInterfaceTable<First, Rest...> {
public:
    TContainedComObject(const TContainedComObject&) = delete;
    TContainedComObject& operator=(const TContainedComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override { return this->QueryTable(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() noexcept override { return owner_.Release(); }

protected:
    explicit TContainedComObject(IUnknown& owner) noexcept : owner_(owner) {}
    ~TContainedComObject() = default;

    IUnknown& Owner() const noexcept { return owner_; }

private:
    IUnknown& owner_;
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
