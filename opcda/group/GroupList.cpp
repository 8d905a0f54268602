#include "group/GroupList.h"

#include <iterator>

#include "contract/OpcError.h"
#include "group/GroupImpl.h"

void TGroupList::AddNamed(const std::wstring& name, TGroupImpl& group)
{
    if (!groups_.emplace(name, &group).second) RaiseOpcError(OPC_E_DUPLICATENAME);
}

bool TGroupList::Remove(TGroupImpl& group) noexcept
{
    for (auto it = groups_.begin(); it != groups_.end(); ++it) {
        if (it->second == &group) {
            groups_.erase(it);
            return true;
        }
    }
    return false;
}

void TGroupList::Rename(TGroupImpl& group, const std::wstring& newName)
{
    if (NameExists(newName)) RaiseOpcError(OPC_E_DUPLICATENAME);
    Remove(group);
    groups_.emplace(newName, &group);
}

bool TGroupList::NameExists(const std::wstring& name) const
{
    return groups_.count(name) != 0;
}

std::wstring TGroupList::UniqueName() const
{
    for (unsigned n = 0;; ++n) {
        std::wstring name = L"Group" + std::to_wstring(n);
        if (!NameExists(name)) return name;
    }
}

TGroupImpl* TGroupList::GroupAt(size_t index) const noexcept
{
    if (index >= groups_.size()) return nullptr;
    return std::next(groups_.begin(), static_cast<std::ptrdiff_t>(index))->second;
}

TGroupImpl* TGroupList::FindByName(const std::wstring& name) const
{
    const auto it = groups_.find(name);
    return it != groups_.end() ? it->second : nullptr;
}

TGroupImpl* TGroupList::FindByHandle(DWORD serverHandle) const noexcept
{
    for (const auto& [name, group] : groups_)
        if (group->ServerHandle() == serverHandle) return group;
    return nullptr;
}

TGroupImpl* TGroupList::TakeFirst() noexcept
{
    if (groups_.empty()) return nullptr;
    TGroupImpl* group = groups_.begin()->second;
    groups_.erase(groups_.begin());
    return group;
}
