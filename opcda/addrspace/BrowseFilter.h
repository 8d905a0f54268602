// Browse filters: the mask language of BrowseOPCItemIDs and the default
// filter test of the item server (mask, then access rights, then type).
//
// Mask syntax, letter case ignored throughout:
//   *       any run of characters, also none
//   ?       exactly one character
//   [...]   one character of a set: single characters and ranges such as a-z;
//           a leading ! takes the complement; a - just before the closing ]
//           stands for itself; a range whose ends are reversed matches nothing
//   other   the character itself
// A mask is invalid, raising EOpcError(OPC_E_INVALIDFILTER), when a set is
// unterminated or empty ("[", "[abc", "[]", "[!]"), when a set item starts
// with - ("[-a]", "[a-c-e]"), or when it has more than MaxMaskWildcards
// wildcard positions. A wildcard position is one element of the mask that
// is not a literal character: each ?, each [...] set, and each run of
// consecutive * (which matches exactly what a single * matches). Literal
// characters never count, so a mask can be any item ID, however long.
#pragma once
#include <windows.h>
#include <oleauto.h>  // VARTYPE
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "contract/OpcTypes.h"

constexpr int MaxMaskWildcards = 30;

class TBrowseMask {
public:
    explicit TBrowseMask(std::wstring_view mask);

    bool Matches(std::wstring_view name) const;
    int WildcardCount() const noexcept { return wildcards_; }

private:
    enum class TKind { Literal, AnyOne, AnyRun, Set };
    struct TElement {
        explicit TElement(TKind kind, wchar_t c = 0) : Kind(kind), Char(c) {}
        TKind Kind;
        wchar_t Char;                                       // Literal, upper case
        bool Negated = false;                               // Set
        std::vector<std::pair<wchar_t, wchar_t>> Ranges;    // Set, as written
    };

    static bool MatchesOne(const TElement& element, wchar_t c);
    size_t ParseSet(std::wstring_view mask, size_t open);

    std::vector<TElement> elements_;
    int wildcards_ = 0;
};

// The shape of the item server's BrowseFilterMatch: (mask, access-rights
// filter, VARTYPE filter, name, item access rights, item VARTYPE) -> passes.
// An empty mask, a rights filter of 0 and a type filter of VT_EMPTY each
// let everything through.
using TBrowseFilterMatchFn = std::function<bool(std::wstring_view mask, TAccessRights rightsFilter, VARTYPE typeFilter,
                                                std::wstring_view name, TAccessRights itemRights, VARTYPE itemType)>;

bool DefaultBrowseFilterMatch(std::wstring_view mask, TAccessRights rightsFilter, VARTYPE typeFilter,
                              std::wstring_view name, TAccessRights itemRights, VARTYPE itemType);
