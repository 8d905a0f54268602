// A test group: adds items, reads and writes them synchronously, reports its
// state and, while it is active and a sink is advised, calls the sink's
// IOPCDataCallback::OnDataChange with every item at each update period.
#pragma once
#include "ComObject.h"
#include "opcda.h"
#include "server/ConnectionPoint.h"
#include "server/ServerProcess.h"
#include "server/ThreadTimer.h"
#include <ocidl.h>
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

class WireGroup final
    : public ComObject<IOPCItemMgt, IOPCSyncIO, IOPCGroupStateMgt, IConnectionPointContainer>,
      private SinkHost {
public:
    WireGroup(std::wstring name, bool active, DWORD updateRate, OPCHANDLE hClientGroup, OPCHANDLE hServerGroup,
              LONG timeBias, FLOAT deadband, DWORD lcid);

    // IOPCItemMgt
    HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                       HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE ValidateItems(DWORD, OPCITEMDEF*, BOOL, OPCITEMRESULT** ppValidationResults,
                                            HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetActiveState(DWORD, OPCHANDLE*, BOOL, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD, OPCHANDLE*, OPCHANDLE*, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD, OPCHANDLE*, VARTYPE*, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override;

    // IOPCSyncIO
    HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                   OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                    HRESULT** ppErrors) override;

    // IOPCGroupStateMgt
    HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                       FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                       OPCHANDLE* phServerGroup) override;
    HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                       LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                       OPCHANDLE* phClientGroup) override;
    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) override;
    HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR, REFIID, LPUNKNOWN* ppUnk) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

private:
    HRESULT AdviseSink(REFIID iid, IUnknown* sink) override;
    HRESULT UnadviseSink(REFIID iid) override;
    void UpdateTimer();
    void SendDataChange();
    const GroupItem* FindItem(OPCHANDLE hServer) const;

    ServerLock lock_;
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
    Microsoft::WRL::ComPtr<IOPCDataCallback> sink_;
    ThreadTimer timer_{[this] { SendDataChange(); }};
    bool sending_ = false;
};

}  // namespace wire
