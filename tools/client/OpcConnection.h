// The client's connection to one OPC server, and the group a command adds
// its items to. Everything the server handed out is released again, because
// a server under Wine never learns of a client that ends holding objects.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "com/ComObject.h"
#include "opcda.h"

class TOpcConnection {
public:
    // Activates the server by ProgID and names this client. Raises
    // EClientError when the ProgID is unknown or activation fails.
    explicit TOpcConnection(const std::wstring& progId, const std::wstring& clientName = L"OpcClient");
    ~TOpcConnection();
    TOpcConnection(const TOpcConnection&) = delete;
    TOpcConnection& operator=(const TOpcConnection&) = delete;

    IOPCServer* Server() const noexcept { return server_.Get(); }
    // The server's interface I; raises EClientError when it has none.
    template <class I>
    ComPtr<I> As(const wchar_t* name) const
    {
        ComPtr<I> other;
        Require(server_.As(&other), name);
        return other;
    }
    // Message of a failed call: what, the server's text and the code.
    std::wstring Describe(HRESULT hr) const;
    // Raises EClientError("<what> failed: ...") when hr failed.
    void Require(HRESULT hr, const std::wstring& what) const;

private:
    ComPtr<IOPCServer> server_;
};

// One item as added to a group.
struct TAddedItem {
    std::wstring ItemId;
    OPCHANDLE Server = 0;
    VARTYPE CanonicalType = VT_EMPTY;
    DWORD AccessRights = 0;
    HRESULT Error = S_OK;
};

// A private group of the connection, removed again when this object goes.
class TOpcGroup {
public:
    // Adds a group; raises EClientError when the server refuses it.
    TOpcGroup(const TOpcConnection& connection, const wchar_t* name, bool active, DWORD rateMs);
    ~TOpcGroup();
    TOpcGroup(const TOpcGroup&) = delete;
    TOpcGroup& operator=(const TOpcGroup&) = delete;

    // Adds the items (active, client handles 1..n in order); each result
    // tells its handle or its error.
    std::vector<TAddedItem> AddItems(const std::vector<std::wstring>& ids);
    DWORD RevisedRate() const noexcept { return revisedRate_; }
    IOPCItemMgt* Items() const noexcept { return items_.Get(); }
    template <class I>
    ComPtr<I> As(const wchar_t* name) const
    {
        ComPtr<I> other;
        connection_.Require(items_.As(&other), name);
        return other;
    }
    template <class I>
    HRESULT TryAs(ComPtr<I>& other) const
    {
        return items_.As(&other);
    }

private:
    const TOpcConnection& connection_;
    ComPtr<IOPCItemMgt> items_;
    OPCHANDLE handle_ = 0;
    DWORD revisedRate_ = 0;
};
