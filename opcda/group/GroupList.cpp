#include "group/GroupList.h"

#include <iterator>
#include <limits>
#include <optional>
#include <vector>

#include "contract/OpcError.h"
#include "group/GroupImpl.h"

namespace {

constexpr std::wstring_view kNamePrefix = L"Group";

std::wstring NumberedName(unsigned n) { return std::wstring(kNamePrefix) + std::to_wstring(n); }

// The n of a name written "Group<n>" as UniqueName writes it, in any letter
// case: no sign, no leading zero, within the range of the numbers it gives.
std::optional<unsigned> NumberInName(std::wstring_view name)
{
    if (name.size() <= kNamePrefix.size()) return std::nullopt;
    for (size_t i = 0; i < kNamePrefix.size(); ++i) {
        const wchar_t c = name[i], lower = static_cast<wchar_t>(kNamePrefix[i] | 0x20);
        if (c != lower && c != (lower & ~0x20)) return std::nullopt;
    }
    const std::wstring_view digits = name.substr(kNamePrefix.size());
    if (digits.size() > 1 && digits[0] == L'0') return std::nullopt;
    unsigned long long n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - L'0');
        if (n > std::numeric_limits<unsigned>::max()) return std::nullopt;
    }
    return static_cast<unsigned>(n);
}

}  // namespace

void TGroupList::AddNamed(const std::wstring& name, TGroupImpl& group)
{
    if (!groups_.emplace(name, &group).second) RaiseOpcError(OPC_E_DUPLICATENAME);
    NoteNumber(name, group);
}

bool TGroupList::Remove(TGroupImpl& group) noexcept
{
    for (auto it = groups_.begin(); it != groups_.end(); ++it) {
        if (it->second == &group) {
            groups_.erase(it);
            ForgetNumbers(group);
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
    NoteNumber(newName, group);
}

bool TGroupList::NameExists(const std::wstring& name) const
{
    return groups_.count(name) != 0;
}

std::wstring TGroupList::UniqueName()
{
    for (;;) {
        const unsigned n = takenNumbers_.LowestFree();
        std::wstring name = NumberedName(n);
        const auto it = groups_.find(name);
        if (it == groups_.end()) return name;
        // A name equal to it only to the locale's comparison.
        numbers_.emplace(it->second, n);
        takenNumbers_.Take(n);
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
    ForgetNumbers(*group);
    return group;
}

void TGroupList::NoteNumber(const std::wstring& name, TGroupImpl& group) noexcept
{
    try {
        const std::optional<unsigned> n = NumberInName(name);
        if (!n || !SameTextI(name, NumberedName(*n))) return;
        numbers_.emplace(&group, *n);
        takenNumbers_.Take(*n);
    } catch (...) {
        // Out of memory: the number stays unnoted, and UniqueName notes it
        // when it meets the name.
    }
}

void TGroupList::ForgetNumbers(const TGroupImpl& group) noexcept
{
    try {
        std::vector<unsigned> held;
        const auto [first, last] = numbers_.equal_range(&group);
        for (auto it = first; it != last; ++it) held.push_back(it->second);
        numbers_.erase(first, last);
        for (unsigned n : held) {
            const auto other = groups_.find(NumberedName(n));
            if (other == groups_.end())
                takenNumbers_.Free(n);
            else
                numbers_.emplace(other->second, n);
        }
    } catch (...) {
        // Out of memory: forget every number; UniqueName notes the taken ones
        // again as it meets them.
        takenNumbers_ = TTakenNumbers();
        numbers_.clear();
    }
}
