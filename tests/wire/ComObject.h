// Reference counting and QueryInterface for the wire test's COM objects:
// ComObject<I1, I2, ...> answers IUnknown and each listed interface.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>
#include <atomic>
#include <utility>

namespace wire {

template <typename First, typename... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) final {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        const bool found = riid == IID_IUnknown ? Offer<First>(IID_IUnknown, ppv)
                                                : (Offer<First>(riid, ppv) || ... || Offer<Rest>(riid, ppv));
        if (!found) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() final { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() final {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    template <typename I>
    bool Offer(REFIID riid, void** ppv) {
        if (riid != IID_IUnknown && riid != __uuidof(I)) return false;
        *ppv = static_cast<I*>(this);
        return true;
    }

    std::atomic<ULONG> refs_{1};
};

// Creates an object; the returned pointer owns its first reference.
template <typename T, typename... Args>
Microsoft::WRL::ComPtr<T> MakeComObject(Args&&... args) {
    Microsoft::WRL::ComPtr<T> object;
    // Not Attach(): mingw-w64's ComPtr::Attach adds a reference of its own.
    *object.GetAddressOf() = new T(std::forward<Args>(args)...);
    return object;
}

}  // namespace wire
