// The fixed catalogue of the ZEV-30 deposition controller's 132 items: item ID,
// the type published in the address space, and the cell that holds the value.
// The handle of an item is its position in the catalogue (1 to 132).
#pragma once
#include <windows.h>
#include <wtypes.h>

#include <span>
#include <string_view>

constexpr int ZevItemCount = 132;
constexpr int ZevRowCount = 131;
// "Boolean.srvZEV30win" lives in the window-command field Edit1, not in a row.
constexpr int ZevWindowCommandHandle = 118;
constexpr int ZevNoRow = -1;

struct TZevCatalogueEntry {
    std::wstring_view ItemId;
    VARTYPE PublishedType;
    int Row;  // row of the item value table, or ZevNoRow for the Edit1 item
};

// All entries in handle order: element i carries handle i + 1.
std::span<const TZevCatalogueEntry, ZevItemCount> ZevCatalogue() noexcept;

constexpr bool IsZevHandle(int handle) noexcept { return handle >= 1 && handle <= ZevItemCount; }

// The entry of a handle; std::out_of_range for a handle outside 1 to 132.
const TZevCatalogueEntry& ZevCatalogueEntry(int handle);

// Item IDs match when they have the same length and agree character by
// character, with only the ASCII letters a-z folded onto A-Z.
bool SameZevItemId(std::wstring_view a, std::wstring_view b) noexcept;

// Linear scan in handle order; 0 when no catalogue ID matches.
int FindCatalogueHandle(std::wstring_view id) noexcept;

// The label shown in a row of the item list. It is the row's item ID except for
// row 129, which has always been labelled "Flag.REM-CL-RESUME" while its item is
// "Flag.REM-CL-RESET". Labels are display text only, never used to resolve.
// std::out_of_range for a row outside 0 to 130.
std::wstring_view ZevRowLabel(int row);
