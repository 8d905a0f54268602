// The groups of one server object, by name: sorted, compared without regard
// to letter case, duplicates refused. The list does not count as a reference
// of the group; it decides, with the group's own count, when a group goes
// (see TGroupImpl).
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "com/TextUtil.h"
#include "group/TakenNumbers.h"

class TGroupImpl;

class TGroupList {
public:
    TGroupList() = default;
    TGroupList(const TGroupList&) = delete;
    TGroupList& operator=(const TGroupList&) = delete;

    // Raises EOpcError(OPC_E_DUPLICATENAME) when the name is taken.
    void AddNamed(const std::wstring& name, TGroupImpl& group);
    // Takes the group out of the list, under whatever name it has; false
    // when it is not in the list.
    bool Remove(TGroupImpl& group) noexcept;
    // Moves a listed group to a new name; raises OPC_E_DUPLICATENAME when the
    // new name is taken (the group's own current name included).
    void Rename(TGroupImpl& group, const std::wstring& newName);

    bool NameExists(const std::wstring& name) const;
    // "Group" followed by the lowest number from 0 up that no group uses, in
    // logarithmic time (clients that name no group make thousands of them).
    std::wstring UniqueName();

    size_t Count() const noexcept { return groups_.size(); }
    // The group at a position in name order, or null.
    TGroupImpl* GroupAt(size_t index) const noexcept;
    TGroupImpl* FindByName(const std::wstring& name) const;
    // The listed group with that server handle, or null.
    TGroupImpl* FindByHandle(DWORD serverHandle) const noexcept;
    // Takes the first group out of the list (null when empty).
    TGroupImpl* TakeFirst() noexcept;

private:
    // Notes the number of a name that compares equal to "Group<n>".
    void NoteNumber(const std::wstring& name, TGroupImpl& group) noexcept;
    // The numbers a group that left the list held are free again, unless
    // another group's name compares equal to theirs.
    void ForgetNumbers(const TGroupImpl& group) noexcept;

    std::map<std::wstring, TGroupImpl*, LessTextI> groups_;
    // The n of every "Group<n>" that a listed name compares equal to, and
    // the group of each. A name that does so only to the locale's comparison
    // (a character it ignores) is noted when UniqueName first meets it.
    TTakenNumbers takenNumbers_;
    std::multimap<const TGroupImpl*, unsigned> numbers_;
};
