// A test group: adds items, reads and writes them synchronously, reports its
// state and, while it is active and a sink is advised, calls the sink's
// IOPCDataCallback::OnDataChange with every item at each update period.
#pragma once
#include "opcda.h"
#include "com/ConnectionPointContainer.h"
#include "server/ThreadTimer.h"
#include <string>
#include <vector>

namespace wire {

struct GroupItem {
    size_t table;  // index in ItemTable
    std::wstring accessPath;
    OPCHANDLE hClient;
    OPCHANDLE hServer;
    bool active;
    VARTYPE requestedType;
    std::vector<BYTE> blob;
};

// A task-allocated copy of bytes for a blob out-parameter (none when empty).
void CopyBlob(const std::vector<BYTE>& bytes, BYTE** blob, DWORD* size);

class WireGroup final : public TConnectionPointContainer<IOPCDataCallback, IOPCItemMgt, IOPCSyncIO, IOPCGroupStateMgt> {
public:
    WireGroup(std::wstring name, bool active, DWORD updateRate, OPCHANDLE hClientGroup, OPCHANDLE hServerGroup,
              LONG timeBias, FLOAT deadband, DWORD lcid);

    // IOPCItemMgt
    STDMETHODIMP AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                          HRESULT** ppErrors) noexcept override;
    STDMETHODIMP ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT** ppValidationResults,
                               HRESULT** ppErrors) noexcept override;
    STDMETHODIMP RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT** ppErrors) noexcept override;
    STDMETHODIMP CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) noexcept override;

    // IOPCSyncIO
    STDMETHODIMP Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                      HRESULT** ppErrors) noexcept override;
    STDMETHODIMP Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) noexcept override;

    // IOPCGroupStateMgt
    STDMETHODIMP GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                          FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                          OPCHANDLE* phServerGroup) noexcept override;
    STDMETHODIMP SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                          FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) noexcept override;
    STDMETHODIMP SetName(LPCWSTR szName) noexcept override;
    STDMETHODIMP CloneGroup(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) noexcept override;

private:
    void SinkChanged() override { UpdateTimer(); }
    void UpdateTimer();
    void SendDataChange();
    std::vector<GroupItem>::iterator ItemOf(OPCHANDLE hServer);

    std::wstring name_;
    bool active_;
    DWORD updateRate_;
    OPCHANDLE hClientGroup_;
    OPCHANDLE hServerGroup_;
    LONG timeBias_;
    FLOAT deadband_;
    DWORD lcid_;
    std::vector<GroupItem> items_;
    OPCHANDLE nextItemHandle_ = 100;
    ThreadTimer timer_{[this] { SendDataChange(); }};
    bool sending_ = false;
};

}  // namespace wire
