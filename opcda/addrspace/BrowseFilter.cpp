#include "addrspace/BrowseFilter.h"

#include "contract/OpcError.h"

namespace {

wchar_t Upper(wchar_t c) noexcept
{
    CharUpperBuffW(&c, 1);
    return c;
}

wchar_t Lower(wchar_t c) noexcept
{
    CharLowerBuffW(&c, 1);
    return c;
}

[[noreturn]] void InvalidMask() { throw EOpcError(OPC_E_INVALIDFILTER); }

}  // namespace

TBrowseMask::TBrowseMask(std::wstring_view mask)
{
    for (size_t i = 0; i < mask.size();) {
        switch (mask[i]) {
        case L'*':
            if (elements_.empty() || elements_.back().Kind != TKind::AnyRun) {
                elements_.emplace_back(TKind::AnyRun);
                ++wildcards_;
            }
            ++i;
            break;
        case L'?':
            elements_.emplace_back(TKind::AnyOne);
            ++wildcards_;
            ++i;
            break;
        case L'[':
            i = ParseSet(mask, i);
            ++wildcards_;
            break;
        default:
            elements_.emplace_back(TKind::Literal, Upper(mask[i]));
            ++i;
            break;
        }
        if (wildcards_ > MaxMaskWildcards) InvalidMask();
    }
}

// Parses the set that opens at mask[open]; returns the index after its ']'.
size_t TBrowseMask::ParseSet(std::wstring_view mask, size_t open)
{
    TElement set(TKind::Set);
    size_t i = open + 1;
    if (i < mask.size() && mask[i] == L'!') {
        set.Negated = true;
        ++i;
    }
    while (i < mask.size() && mask[i] != L']') {
        const wchar_t first = mask[i];
        if (first == L'-') InvalidMask();
        const bool range = i + 2 < mask.size() && mask[i + 1] == L'-' && mask[i + 2] != L']';
        if (range) {
            set.Ranges.emplace_back(first, mask[i + 2]);
            i += 3;
        } else {
            set.Ranges.emplace_back(first, first);
            ++i;
            if (i + 1 < mask.size() && mask[i] == L'-' && mask[i + 1] == L']') {
                set.Ranges.emplace_back(L'-', L'-');
                ++i;
            }
        }
    }
    if (i >= mask.size() || set.Ranges.empty()) InvalidMask();
    elements_.push_back(std::move(set));
    return i + 1;
}

bool TBrowseMask::MatchesOne(const TElement& element, wchar_t c)
{
    switch (element.Kind) {
    case TKind::Literal:
        return Upper(c) == element.Char;
    case TKind::AnyOne:
        return true;
    case TKind::Set: {
        const wchar_t forms[] = {c, Upper(c), Lower(c)};
        bool in = false;
        for (const auto& [lo, hi] : element.Ranges)
            for (wchar_t f : forms) in = in || (lo <= f && f <= hi);
        return in != element.Negated;
    }
    case TKind::AnyRun:
        break;
    }
    return false;
}

bool TBrowseMask::Matches(std::wstring_view name) const
{
    // Every element but '*' takes exactly one character, so remembering the
    // last '*' is enough: on a mismatch it swallows one more character.
    constexpr size_t none = static_cast<size_t>(-1);
    size_t e = 0, n = 0, runElement = none, runName = 0;
    while (n < name.size()) {
        if (e < elements_.size() && elements_[e].Kind == TKind::AnyRun) {
            runElement = ++e;
            runName = n;
        } else if (e < elements_.size() && MatchesOne(elements_[e], name[n])) {
            ++e;
            ++n;
        } else if (runElement != none) {
            e = runElement;
            n = ++runName;
        } else {
            return false;
        }
    }
    while (e < elements_.size() && elements_[e].Kind == TKind::AnyRun) ++e;
    return e == elements_.size();
}

bool DefaultBrowseFilterMatch(std::wstring_view mask, TAccessRights rightsFilter, VARTYPE typeFilter,
                              std::wstring_view name, TAccessRights itemRights, VARTYPE itemType)
{
    if (!mask.empty() && !TBrowseMask(mask).Matches(name)) return false;
    if (!rightsFilter.Empty() && !rightsFilter.Intersects(itemRights)) return false;
    if (typeFilter != VT_EMPTY && itemType != typeFilter) return false;
    return true;
}
