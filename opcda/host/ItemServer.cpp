#include "contract/ItemServer.h"

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>
#include <typeinfo>

#include "addrspace/AddressSpace.h"
#include "cache/ServerItemList.h"
#include "com/TextUtil.h"
#include "contract/OpcError.h"
#include "host/ClientList.h"
#include "host/OpcMessages.h"
#include "host/OpcTime.h"
#include "host/ServerWindow.h"

namespace {

std::atomic<TOpcItemServer*> TheItemServer{nullptr};

}  // namespace

TOpcItemServer* ItemServer() noexcept
{
    return TheItemServer.load();
}

TOpcItemServer& RequireItemServer()
{
    TOpcItemServer* server = TheItemServer.load();
    if (server == nullptr) throw EOpcServer("OPCSERV: No item server");
    return *server;
}

TOpcItemServer::TOpcItemServer()
{
    TOpcItemServer* none = nullptr;
    if (!TheItemServer.compare_exchange_strong(none, this))
        throw EOpcServer("OPCSERV: Only one instance of namespace allowed");
    try {
        serverWindow_ = std::make_unique<TServerWindow>(*this);
        itemCache_ = std::make_unique<TServerItemList>(*this);
        clientList_ = std::make_unique<TClientList>();
        startTime_ = SystemTimeStamp();  // CurrentTimestamp's default; overrides are not reachable yet
        addressSpace_ = std::make_unique<TAddressSpace>();
        addressSpace_->SetRebuildHandler([this](bool keepExisting) { RebuildAddressSpace(keepExisting); });
    } catch (...) {
        TheItemServer.store(nullptr);
        throw;
    }
}

TOpcItemServer::~TOpcItemServer()
{
    serverWindow_.reset();
    itemCache_.reset();
    clientList_.reset();
    TOpcItemServer* self = this;
    TheItemServer.compare_exchange_strong(self, nullptr);
}

void TOpcItemServer::HandleException(std::exception_ptr) {}

wchar_t TOpcItemServer::BranchSeparator()
{
    return L'.';
}

wchar_t TOpcItemServer::AuxSeparator()
{
    return L'.';
}

void TOpcItemServer::ErrorText(HRESULT code, WORD languageId, std::wstring& text)
{
    text.clear();
    text = DefaultErrorText(code, languageId);
}

TServerOptions TOpcItemServer::ServerOptions()
{
    return 0;
}

DWORD TOpcItemServer::ServerScanRate()
{
    return 20;
}

bool TOpcItemServer::SubscribeItem(LONG, TItemChangeCallback)
{
    return false;
}

void TOpcItemServer::UnsubscribeItem(LONG) {}

void TOpcItemServer::ProgIdClassPart(int version, std::wstring& text)
{
    text = ClassName() + L"." + std::to_wstring(version);
}

LONG TOpcItemServer::ResolveItem(const std::wstring&, std::wstring&, TAccessRights&)
{
    RaiseOpcError(OPC_E_INVALIDITEMID);
}

LONG TOpcItemServer::ResolveItemWithPath(const std::wstring& itemId, std::wstring& accessPath, TAccessRights& rights,
                                         ComPtr<IEUInfo>& euInfo, ComPtr<IItemProperties>& properties)
{
    euInfo.Reset();
    properties.Reset();
    return ResolveItem(itemId, accessPath, rights);
}

bool TOpcItemServer::ItemChangeCount(LONG, uint64_t&) noexcept
{
    return false;
}

void TOpcItemServer::ReleaseItemHandle(LONG) {}

void TOpcItemServer::BuildAddressSpace(TItemIdList&) {}

void TOpcItemServer::ClientConnected(TClientInfo&) {}
void TOpcItemServer::ClientDisconnected(TClientInfo&) {}
void TOpcItemServer::ClientRenamed(TClientInfo&) {}
void TOpcItemServer::ClientHung(TClientInfo&) {}
void TOpcItemServer::ClientResponding(TClientInfo&) {}
void TOpcItemServer::GroupAdded(TGroupInfo&) {}
void TOpcItemServer::GroupRemoved(TGroupInfo&) {}
void TOpcItemServer::ItemAdded(TGroupItemInfo&) {}
void TOpcItemServer::ItemRemoved(TGroupItemInfo&) {}
void TOpcItemServer::ItemValueChanged(TGroupItemInfo&) {}
void TOpcItemServer::CallbackFailed(HRESULT, TGroupInfo&, TCallbackKind) {}
void TOpcItemServer::AuxHook(void*, void*, void*) {}

FILETIME TOpcItemServer::CurrentTimestamp()
{
    return SystemTimeStamp();
}

bool TOpcItemServer::HasOption(int bit)
{
    if (bit < 0 || bit > 7) return false;
    return (ServerOptions() >> bit) & 1;
}

std::wstring TOpcItemServer::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && demangled != nullptr) ? demangled : mangled;
    std::free(demangled);
    // Namespaces are no part of a ProgID.
    const size_t scope = name.rfind("::");
    if (scope != std::string::npos) name.erase(0, scope + 2);
    return AnsiToWide(name);
}
