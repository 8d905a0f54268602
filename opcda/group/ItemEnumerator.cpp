#include "group/ItemEnumerator.h"

#include <algorithm>

#include "cache/ServerItem.h"
#include "com/ComBoundary.h"
#include "com/OpcElementCleanup.h"
#include "contract/ItemProviders.h"
#include "group/GroupImpl.h"
#include "group/GroupItemImpl.h"

namespace {

void FillAttributes(const TGroupItemImpl& item, OPCITEMATTRIBUTES& attributes)
{
    const TServerItem& shared = item.Shared();
    attributes.szAccessPath = TaskWideString(std::wstring_view()).release();
    attributes.szItemID = TaskWideString(std::wstring_view(shared.ItemId())).release();
    attributes.bActive = item.Active ? TRUE : FALSE;
    attributes.hClient = item.ClientHandle;
    attributes.hServer = item.ServerHandle();
    attributes.dwAccessRights = shared.AccessRights();
    attributes.vtCanonicalDataType = shared.CanonicalType();
    attributes.vtRequestedDataType = item.RequestedType;
    attributes.dwEUType = OPC_NOENUM;
    if (IEUInfo* eu = shared.EUInfo()) {
        LONG type = EuTypeNoEnum;
        if (SUCCEEDED(eu->GetEUType(&type))) attributes.dwEUType = static_cast<OPCEUTYPE>(type & 0x7F);
        eu->GetEUInfo(&attributes.vEUInfo);
    }
}

}  // namespace

TItemEnumerator::TItemEnumerator(TGroupImpl& group) : group_(&group) {}

STDMETHODIMP TItemEnumerator::Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) noexcept
{
    if (pceltFetched) *pceltFetched = 0;
    RETURN_HR_IF_NULL(E_POINTER, ppItemArray);
    *ppItemArray = nullptr;
    const auto& items = group_->Items();
    const size_t left = position_ < items.size() ? items.size() - position_ : 0;
    const size_t fetched = std::min<size_t>(celt, left);
    if (fetched > 0) {
        const HRESULT hr = ComBoundary([&] {
            TaskMemArray<OPCITEMATTRIBUTES> attributes(fetched);
            for (size_t i = 0; i < fetched; ++i) FillAttributes(*items[position_ + i], attributes[i]);
            *ppItemArray = attributes.release();
        });
        if (FAILED(hr)) return hr;
        position_ += fetched;
    }
    if (pceltFetched) *pceltFetched = static_cast<ULONG>(fetched);
    return fetched == celt ? S_OK : S_FALSE;
}

STDMETHODIMP TItemEnumerator::Skip(ULONG celt) noexcept
{
    const size_t count = group_->Items().size();
    if (position_ + celt > count) {
        position_ = count;
        return S_FALSE;
    }
    position_ += celt;
    return S_OK;
}

STDMETHODIMP TItemEnumerator::Reset() noexcept
{
    position_ = 0;
    return S_OK;
}

STDMETHODIMP TItemEnumerator::Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) noexcept
{
    RETURN_HR_IF_NULL(E_POINTER, ppEnumItemAttributes);
    *ppEnumItemAttributes = nullptr;
    return ComBoundary([&] { *ppEnumItemAttributes = MakeComObject<TItemEnumerator>(*group_.Get()).Detach(); });
}
