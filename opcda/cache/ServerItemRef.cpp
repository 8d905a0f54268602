#include "cache/ServerItemRef.h"

#include "com/ComOwners.h"
#include "contract/ItemServer.h"
#include "contract/OpcTypes.h"

TServerItemRef::TServerItemRef(TOpcItemServer& server, std::wstring itemId)
    : server_(server), itemId_(std::move(itemId))
{
    Resolve();
}

TServerItemRef::~TServerItemRef()
{
    if (handle_ == NoItemHandle) return;
    try {
        server_.ReleaseItemHandle(handle_);
    } catch (...) {
        // A destructor cannot report it; the handle is gone either way.
    }
}

void TServerItemRef::Release() noexcept
{
    delete this;
}

void TServerItemRef::Resolve()
{
    std::wstring accessPath;
    TAccessRights rights = TAccessRights::ReadWrite();
    handle_ = server_.ResolveItemWithPath(itemId_, accessPath, rights, euInfo_, properties_);
    try {
        accessRights_ = rights.ToOpc();
        WORD quality = QualityGood;
        UniqueVariant value;
        server_.ReadItemValue(handle_, quality, *value.put());
        canonicalType_ = value.vt();
        deadband_ = (canonicalType_ & VT_ARRAY) == 0 && IsDeadbandType(canonicalType_);
    } catch (...) {
        // The constructor fails, so the destructor will not run: give the handle back here.
        const LONG handle = std::exchange(handle_, NoItemHandle);
        if (handle != NoItemHandle) {
            try {
                server_.ReleaseItemHandle(handle);
            } catch (...) {
                // The item server's own failure must not hide the one being raised.
            }
        }
        throw;
    }
}
