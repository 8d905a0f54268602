#include "BenchTarget.h"

#include "BenchSupport.h"
#include "HResultText.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"

namespace {

std::vector<OPCHANDLE> ServerHandles(const std::vector<TAddedItem>& added, const TOpcConnection& connection)
{
    std::vector<OPCHANDLE> handles;
    for (const auto& item : added) {
        if (FAILED(item.Error))
            throw EClientError{L"adding " + item.ItemId + L" failed: " + connection.Describe(item.Error)};
        handles.push_back(item.Server);
    }
    return handles;
}

UniqueVariant Text(const std::wstring& text)
{
    UniqueVariant v;
    V_VT(v.put()) = VT_BSTR;
    V_BSTR(&v.get()) = UniqueBstr(text).release();
    return v;
}

}  // namespace

TBenchTarget::TBenchTarget(const std::wstring& progId, const std::vector<std::wstring>& ids)
    : connection_(progId, L"OpcBench"),
      readGroup_(connection_, L"bench read", true, 1000),
      addGroup_(connection_, L"bench add", false, 1000),
      ids_(ids)
{
    handles_ = ServerHandles(readGroup_.AddItems(ids), connection_);
    io_ = readGroup_.As<IOPCSyncIO>(L"IOPCSyncIO");
    defs_.resize(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i) {
        defs_[i].szAccessPath = const_cast<wchar_t*>(L"");
        defs_[i].szItemID = const_cast<wchar_t*>(ids_[i].c_str());
        defs_[i].bActive = TRUE;
        defs_[i].hClient = static_cast<OPCHANDLE>(i + 1);
    }
}

double TBenchTarget::GetStatus()
{
    OPCSERVERSTATUS* status = nullptr;
    const double start = NowMs();
    const HRESULT hr = connection_.Server()->GetStatus(&status);
    const double took = NowMs() - start;
    connection_.Require(hr, L"GetStatus");
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
    return took;
}

double TBenchTarget::ReadAll(OPCDATASOURCE source)
{
    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    const double start = NowMs();
    const HRESULT hr = io_->Read(source, static_cast<DWORD>(handles_.size()), handles_.data(),
                                 states.put(handles_.size()), errors.put(handles_.size()));
    const double took = NowMs() - start;
    connection_.Require(hr, L"SyncIO Read");
    return took;
}

double TBenchTarget::AddAllItems()
{
    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errors;
    const double start = NowMs();
    const HRESULT hr = addGroup_.Items()->AddItems(static_cast<DWORD>(defs_.size()), defs_.data(),
                                                   results.put(defs_.size()), errors.put(defs_.size()));
    const double took = NowMs() - start;
    connection_.Require(hr, L"AddItems");
    std::vector<OPCHANDLE> added;
    for (size_t i = 0; i < defs_.size(); ++i) added.push_back(results[i].hServer);
    TaskMemArray<HRESULT> removeErrors;
    addGroup_.Items()->RemoveItems(static_cast<DWORD>(added.size()), added.data(), removeErrors.put(added.size()));
    return took;
}

double TBenchTarget::WriteTexts(const std::vector<OPCHANDLE>& handles, const std::vector<std::wstring>& texts)
{
    std::vector<UniqueVariant> owned;
    for (const auto& t : texts) owned.push_back(Text(t));
    std::vector<VARIANT> values;
    for (auto& v : owned) values.push_back(v.get());
    TaskMemArray<HRESULT> errors;
    const double start = NowMs();
    const HRESULT hr = io_->Write(static_cast<DWORD>(handles.size()), const_cast<OPCHANDLE*>(handles.data()),
                                  values.data(), errors.put(handles.size()));
    const double took = NowMs() - start;
    connection_.Require(hr, L"SyncIO Write");
    return took;
}

std::vector<std::wstring> TBenchTarget::ReadTexts()
{
    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    connection_.Require(io_->Read(OPC_DS_DEVICE, static_cast<DWORD>(handles_.size()), handles_.data(),
                                  states.put(handles_.size()), errors.put(handles_.size())),
                        L"SyncIO Read");
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < handles_.size(); ++i) {
        const VARIANT& v = states[i].vDataValue;
        texts.push_back(V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"");
    }
    return texts;
}

void WriteItems(const TOpcConnection& connection, const std::vector<std::wstring>& ids,
                const std::vector<std::wstring>& texts)
{
    TOpcGroup group(connection, L"", false, 1000);
    const std::vector<OPCHANDLE> handles = ServerHandles(group.AddItems(ids), connection);
    std::vector<UniqueVariant> owned;
    for (const auto& t : texts) owned.push_back(Text(t));
    std::vector<VARIANT> values;
    for (auto& v : owned) values.push_back(v.get());
    TaskMemArray<HRESULT> errors;
    auto io = group.As<IOPCSyncIO>(L"IOPCSyncIO");
    connection.Require(io->Write(static_cast<DWORD>(handles.size()), const_cast<OPCHANDLE*>(handles.data()),
                                 values.data(), errors.put(handles.size())),
                       L"SyncIO Write");
}

std::vector<std::wstring> BrowseAllItems(const TOpcConnection& connection)
{
    auto browser = connection.As<IOPCBrowseServerAddressSpace>(L"IOPCBrowseServerAddressSpace");
    ComPtr<IEnumString> ids;
    connection.Require(browser->BrowseOPCItemIDs(OPC_FLAT, L"", VT_EMPTY, 0, ids.GetAddressOf()), L"browsing");
    std::vector<std::wstring> all;
    for (;;) {
        LPOLESTR batch[64] = {};
        ULONG fetched = 0;
        const HRESULT hr = ids->Next(64, batch, &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            all.emplace_back(batch[i]);
            CoTaskMemFree(batch[i]);
        }
        if (hr != S_OK || fetched == 0) break;
    }
    return all;
}
