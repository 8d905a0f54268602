// One enumerator over a snapshot list, parameterised by element type:
// IEnumString over texts (TStringsEnumerator) and IEnumUnknown over
// interface references (TUnkEnumerator).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com/ComBoundary.h"
#include "com/ComObject.h"
#include "com/TaskMemory.h"

// How an element is stored and handed out.
template <class Element>
struct TEnumElementTraits;

template <>
struct TEnumElementTraits<LPOLESTR> {
    using Stored = std::wstring;
    // A new task-allocated copy that belongs to the caller.
    static LPOLESTR HandOut(const Stored& text) { return TaskWideString(std::wstring_view(text)).release(); }
    static void Discard(LPOLESTR& text) noexcept { TaskFree(text); }
};

template <>
struct TEnumElementTraits<IUnknown*> {
    using Stored = ComPtr<IUnknown>;
    static IUnknown* HandOut(const Stored& unk)
    {
        if (unk) unk->AddRef();
        return unk.Get();
    }
    static void Discard(IUnknown*& unk) noexcept
    {
        if (unk) unk->Release();
        unk = nullptr;
    }
};

template <class IEnum, class Element>
class TListEnumerator : public TComObject<IEnum> {
public:
    using Traits = TEnumElementTraits<Element>;
    using Stored = typename Traits::Stored;

    explicit TListEnumerator(std::vector<Stored> elements) : elements_(std::move(elements)) {}

    size_t Count() const noexcept { return elements_.size(); }

    STDMETHODIMP Next(ULONG celt, Element* rgelt, ULONG* pceltFetched) noexcept override
    {
        if (pceltFetched) *pceltFetched = 0;
        if (celt == 0) return S_OK;
        RETURN_HR_IF_NULL(E_POINTER, rgelt);
        const size_t n = std::min<size_t>(celt, elements_.size() - position_);
        const HRESULT hr = ComBoundary([&] {
            size_t done = 0;
            try {
                for (; done < n; ++done) rgelt[done] = Traits::HandOut(elements_[position_ + done]);
            } catch (...) {
                // Nothing handed out when one element fails.
                for (size_t i = 0; i < done; ++i) Traits::Discard(rgelt[i]);
                throw;
            }
        });
        if (FAILED(hr)) return hr;
        position_ += n;
        if (pceltFetched) *pceltFetched = static_cast<ULONG>(n);
        return n == celt ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG celt) noexcept override
    {
        if (celt <= elements_.size() - position_) {
            position_ += celt;
            return S_OK;
        }
        position_ = elements_.size();
        return S_FALSE;
    }

    STDMETHODIMP Reset() noexcept override
    {
        position_ = 0;
        return S_OK;
    }

    // The clone starts at the first element whatever this one's position.
    STDMETHODIMP Clone(IEnum** ppEnum) noexcept override
    {
        RETURN_HR_IF_NULL(E_POINTER, ppEnum);
        *ppEnum = nullptr;
        try {
            auto copy = MakeComObject<TListEnumerator>(elements_);
            *ppEnum = copy.Detach();
            return S_OK;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

private:
    std::vector<Stored> elements_;
    size_t position_ = 0;
};

using TStringsEnumerator = TListEnumerator<IEnumString, LPOLESTR>;
using TUnkEnumerator = TListEnumerator<IEnumUnknown, IUnknown*>;
