#include "GroupClient.h"

#include <olectl.h>

TClientGroup::TClientGroup(IOPCServer* server, const wchar_t* name, bool active, DWORD rate, OPCHANDLE clientHandle)
{
    LONG bias = 0;
    FLOAT deadband = 0.0f;
    result_ = server->AddGroup(name, active, rate, clientHandle, &bias, &deadband, 0x409, &serverHandle_, &revisedRate_,
                               IID_IOPCItemMgt, reinterpret_cast<IUnknown**>(items_.GetAddressOf()));
}

std::vector<OPCHANDLE> TClientGroup::Add(const std::vector<std::wstring>& ids, bool active, VARTYPE requested,
                                         OPCHANDLE firstClient, std::vector<HRESULT>* errors, HRESULT* result)
{
    std::vector<OPCITEMDEF> defs(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        defs[i].szAccessPath = const_cast<wchar_t*>(L"");
        defs[i].szItemID = const_cast<wchar_t*>(ids[i].c_str());
        defs[i].bActive = active;
        defs[i].hClient = firstClient + static_cast<OPCHANDLE>(i);
        defs[i].vtRequestedDataType = requested;
    }
    TaskMemArray<OPCITEMRESULT> results;
    TaskMemArray<HRESULT> errs;
    const HRESULT hr = items_->AddItems(static_cast<DWORD>(ids.size()), defs.data(), results.put(ids.size()),
                                        errs.put(ids.size()));
    if (result) *result = hr;
    std::vector<OPCHANDLE> handles(ids.size(), 0);
    if (errors) errors->assign(ids.size(), hr);
    if (FAILED(hr) || !results.get() || !errs.get()) return handles;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (SUCCEEDED(errs[i])) handles[i] = results[i].hServer;
        if (errors) (*errors)[i] = errs[i];
    }
    return handles;
}

std::vector<TReadItem> TClientGroup::Read(OPCDATASOURCE source, const std::vector<OPCHANDLE>& handles,
                                          HRESULT* result)
{
    ComPtr<IOPCSyncIO> io = As<IOPCSyncIO>();
    TaskMemArray<OPCITEMSTATE> states;
    TaskMemArray<HRESULT> errors;
    const HRESULT hr = io->Read(source, static_cast<DWORD>(handles.size()), const_cast<OPCHANDLE*>(handles.data()),
                                states.put(handles.size()), errors.put(handles.size()));
    if (result) *result = hr;
    std::vector<TReadItem> read(handles.size());
    if (FAILED(hr)) return read;
    for (size_t i = 0; i < handles.size(); ++i) {
        read[i].error = errors[i];
        read[i].hClient = states[i].hClient;
        read[i].value = UniqueVariant::CopyOf(states[i].vDataValue);
        read[i].quality = states[i].wQuality;
        read[i].stamp = states[i].ftTimeStamp;
    }
    return read;
}

std::vector<HRESULT> TClientGroup::Write(const std::vector<OPCHANDLE>& handles, const std::vector<std::wstring>& texts,
                                         HRESULT* result)
{
    ComPtr<IOPCSyncIO> io = As<IOPCSyncIO>();
    std::vector<UniqueVariant> owned;
    std::vector<VARIANT> values;
    for (const auto& t : texts) owned.push_back(MakeBstr(t));
    for (auto& v : owned) values.push_back(v.get());  // shallow: owned keeps the strings
    return Errors(handles.size(), [&](HRESULT** errors) {
        return io->Write(static_cast<DWORD>(handles.size()), const_cast<OPCHANDLE*>(handles.data()), values.data(),
                         errors);
    }, result);
}

HRESULT TClientGroup::Advise(IUnknown* sink, DWORD* cookie)
{
    ComPtr<IConnectionPointContainer> container = As<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    const HRESULT hr = container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf());
    if (FAILED(hr)) return hr;
    DWORD unused = 0;
    return point->Advise(sink, cookie ? cookie : &unused);
}

void ServerWithGroups::SetUpTestSuite()
{
    server_ = ConnectServer();
}

void ServerWithGroups::TearDownTestSuite()
{
    server_.Reset();
    EXPECT_TRUE(WaitForNoServer(20000)) << "the server outlived its last client";
}

void ServerWithGroups::SetUp()
{
    ASSERT_TRUE(server_) << "the server could not be activated";
}

void ServerWithGroups::TearDown()
{
    for (OPCHANDLE handle : made_) server_->RemoveGroup(handle, TRUE);
    made_.clear();
    // A forced removal cuts the groups off at once; callbacks that came in
    // before it are served now, not during the next test.
    PumpMessages();
}

TClientGroup ServerWithGroups::Group(const wchar_t* name, bool active, DWORD rate, OPCHANDLE clientHandle)
{
    TClientGroup group(server_.Get(), name, active, rate, clientHandle);
    if (SUCCEEDED(group.Result())) made_.push_back(group.ServerHandle());
    return group;
}

void ServerWithGroups::WriteItem(const std::wstring& itemId, const std::wstring& text)
{
    TClientGroup writer = Group(L"", false);
    ASSERT_TRUE(writer);
    const std::vector<OPCHANDLE> handles = writer.Add({itemId}, false);
    ASSERT_NE(handles[0], 0u) << "item " << std::string(itemId.begin(), itemId.end());
    const std::vector<HRESULT> errors = writer.Write(handles, {text});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], S_OK);
    server_->RemoveGroup(writer.ServerHandle(), TRUE);
}
