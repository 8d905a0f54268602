// IOPCItemMgt of the group: adding, validating and removing items, their
// active state, client handles and requested types, and the item enumerator.
#include <algorithm>

#include "cache/ItemCache.h"
#include "cache/ItemResult.h"
#include "cache/ServerItem.h"
#include "com/ComBoundary.h"
#include "contract/OpcError.h"
#include "contract/OpcTypes.h"
#include "group/GroupImpl.h"
#include "group/GroupItemImpl.h"
#include "group/ItemEnumerator.h"

HRESULT TGroupImpl::AddOrValidateItems(DWORD count, const OPCITEMDEF* definitions, OPCITEMRESULT** ppResults,
                                       HRESULT** ppErrors, bool add)
{
    CheckNotRemoved();
    CheckArrayArgs(count, definitions);
    if (add) items_.reserve(items_.size() + count);
    return PerItemResults(count, ppResults, ppErrors, [&](size_t i, OPCITEMRESULT& result) {
        return ComBoundary([&] {
            if (add)
                AddItem(definitions[i], result);
            else
                ValidateItem(definitions[i], result);
        });
    });
}

void TGroupImpl::AddItem(const OPCITEMDEF& definition, OPCITEMRESULT& result)
{
    // A failure on the way gives back what the item had acquired (the
    // server item, its handle) and leaves the result zero.
    auto item = std::make_unique<TGroupItemImpl>(*this, ItemIdFromWide(definition.szItemID));
    item->ClientHandle = definition.hClient;
    CheckRequestedType(definition.vtRequestedDataType);
    item->RequestedType = definition.vtRequestedDataType;
    item->SetActive(definition.bActive != FALSE);
    FillItemResult(item->Shared(), result);
    result.hServer = item->ServerHandle();
    item->Announce();
    items_.push_back(std::move(item));  // room was reserved: cannot fail
}

void TGroupImpl::ValidateItem(const OPCITEMDEF& definition, OPCITEMRESULT& result)
{
    TServerItemRefPtr item = LookupItemRef(itemServer_.ItemCache(), ItemIdFromWide(definition.szItemID));
    FillItemResult(*item, result);
}

STDMETHODIMP TGroupImpl::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                  HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppAddResults, ppErrors);
    RETURN_HR_IF(E_POINTER, !ppAddResults || !ppErrors);
    return ComBoundary([&] { return AddOrValidateItems(dwCount, pItemArray, ppAddResults, ppErrors, true); });
}

STDMETHODIMP TGroupImpl::ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL /*bBlobUpdate*/,
                                       OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppValidationResults, ppErrors);
    RETURN_HR_IF(E_POINTER, !ppValidationResults || !ppErrors);
    return ComBoundary(
        [&] { return AddOrValidateItems(dwCount, pItemArray, ppValidationResults, ppErrors, false); });
}

STDMETHODIMP TGroupImpl::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, ppErrors);
    return ComBoundary([&] {
        return ApplyToItems(dwCount, phServer, ppErrors, [&](TGroupItemImpl& item, size_t) {
            const auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& own) { return own.get() == &item; });
            if (it == items_.end()) RaiseOpcError(OPC_E_INVALIDHANDLE);  // an item of another group
            std::unique_ptr<TGroupItemImpl> removed = std::move(*it);
            items_.erase(it);
            // Destroyed here: it announces its removal and leaves its server item.
        });
    });
}

STDMETHODIMP TGroupImpl::SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, ppErrors);
    return ComBoundary([&] {
        return ApplyToItems(dwCount, phServer, ppErrors,
                            [&](TGroupItemImpl& item, size_t) { item.SetActive(bActive != FALSE); });
    });
}

STDMETHODIMP TGroupImpl::SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                          HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, phClient);
        return ApplyToItems(dwCount, phServer, ppErrors,
                            [&](TGroupItemImpl& item, size_t i) { item.ClientHandle = phClient[i]; });
    });
}

STDMETHODIMP TGroupImpl::SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                      HRESULT** ppErrors) noexcept
{
    ClearOutputs(ppErrors);
    RETURN_HR_IF_NULL(E_POINTER, ppErrors);
    return ComBoundary([&] {
        CheckArrayArgs(dwCount, pRequestedDatatypes);
        return ApplyToItems(dwCount, phServer, ppErrors, [&](TGroupItemImpl& item, size_t i) {
            const VARTYPE requested = pRequestedDatatypes[i];
            // The types AddItems takes: the conversion alone would also take
            // VT_NULL, which makes every later read of the item empty.
            CheckRequestedType(requested);
            if (requested != VT_EMPTY) {
                // The item's current value must convert to the new type.
                UniqueVariant value;
                WORD quality = QualityGood;
                itemServer_.ReadItemValue(item.Shared().Handle(), quality, *value.put());
                RaiseIfFailed(VariantChangeType(&value.get(), &value.get(), 0, requested));
            }
            item.RequestedType = requested;
        });
    });
}

STDMETHODIMP TGroupImpl::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) noexcept
{
    ClearOutputs(ppUnk);
    RETURN_HR_IF_NULL(E_POINTER, ppUnk);
    return ComBoundary([&] {
        CheckNotRemoved();
        if (riid != __uuidof(IEnumOPCItemAttributes)) RaiseOpcError(E_INVALIDARG);
        *ppUnk = static_cast<IEnumOPCItemAttributes*>(MakeComObject<TItemEnumerator>(*this).Detach());
    });
}
