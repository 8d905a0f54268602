// The test server object: status, error texts, groups, locale, a flat browse
// over the item table, item properties, and a shutdown request to every
// client that advises an IOPCShutdown sink.
#pragma once
#include "opcda.h"
#include "com/ConnectionPointContainer.h"
#include "server/ThreadTimer.h"

namespace wire {

class WireServer final : public TConnectionPointContainer<IOPCShutdown, IOPCServer, IOPCBrowseServerAddressSpace, IOPCCommon,
                                                IOPCItemProperties> {
public:
    WireServer();

    // IOPCServer
    STDMETHODIMP AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                          LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                          DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) noexcept override;
    STDMETHODIMP GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) noexcept override;
    STDMETHODIMP GetGroupByName(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) noexcept override;
    STDMETHODIMP GetStatus(OPCSERVERSTATUS** ppServerStatus) noexcept override;
    STDMETHODIMP RemoveGroup(OPCHANDLE, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE, REFIID, LPUNKNOWN* ppUnk) noexcept override;

    // IOPCBrowseServerAddressSpace
    STDMETHODIMP QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) noexcept override;
    STDMETHODIMP ChangeBrowsePosition(OPCBROWSEDIRECTION, LPCWSTR) noexcept override { return E_FAIL; }
    STDMETHODIMP BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                  VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                  LPENUMSTRING* ppIEnumString) noexcept override;
    STDMETHODIMP GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) noexcept override;
    STDMETHODIMP BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) noexcept override;

    // IOPCCommon
    STDMETHODIMP SetLocaleID(LCID dwLcid) noexcept override;
    STDMETHODIMP GetLocaleID(LCID* pdwLcid) noexcept override;
    STDMETHODIMP QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) noexcept override;
    STDMETHODIMP GetErrorString(HRESULT dwError, LPWSTR* ppString) noexcept override;
    STDMETHODIMP SetClientName(LPCWSTR) noexcept override { return S_OK; }

    // IOPCItemProperties
    STDMETHODIMP QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                          LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) noexcept override;
    STDMETHODIMP GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                   HRESULT** ppErrors) noexcept override;
    STDMETHODIMP LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                               HRESULT** ppErrors) noexcept override;

private:
    // An advised sink is asked to shut down once Advise has returned.
    void SinkChanged() override {
        if (ConnectedSink()) shutdownTimer_.Start(0);
        else shutdownTimer_.Stop();
    }
    void RequestShutdown();

    FILETIME startTime_{};
    LCID locale_ = 0x0409;
    DWORD groupCount_ = 0;
    ThreadTimer shutdownTimer_{[this] { RequestShutdown(); }};
};

}  // namespace wire
