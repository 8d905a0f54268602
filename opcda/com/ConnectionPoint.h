// A connection point contained in its owner: it takes at most one sink, which
// it hands to its owner's notification method without keeping a reference
// (the owner decides where the sink lives), and lives as long as the owner,
// to which it forwards its reference counting.
// The owner holds the point; the point refers back without a reference.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <functional>

#include "com/ComObject.h"

class TConnectionPoint final : public TContainedComObject<IConnectionPoint> {
public:
    // Called with (sink, true) on Advise, and with (nullptr, false) on
    // Unadvise. Raising from an advise refuses the sink.
    using TNotify = std::function<void(IUnknown* sink, bool advised)>;

    TConnectionPoint(IConnectionPointContainer& owner, REFIID connectionIid, TNotify notify);
    ~TConnectionPoint();
    TConnectionPoint(const TConnectionPoint&) = delete;
    TConnectionPoint& operator=(const TConnectionPoint&) = delete;

    bool HasSink() const noexcept { return advised_; }
    // Forgets the sink without telling the notification method.
    void DropSink() noexcept { advised_ = false; }

    STDMETHODIMP GetConnectionInterface(IID* piid) noexcept override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) noexcept override;
    STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) noexcept override;
    STDMETHODIMP Unadvise(DWORD dwCookie) noexcept override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) noexcept override;

private:
    IConnectionPointContainer& owner_;
    IID iid_;
    TNotify notify_;
    bool advised_ = false;
    bool claimed_ = false;  // an Advise is calling out before it stores its sink
};
