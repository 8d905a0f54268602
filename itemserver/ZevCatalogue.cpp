#include "ZevCatalogue.h"

#include <array>
#include <stdexcept>

namespace {

constexpr VARTYPE Str = VT_BSTR;
constexpr VARTYPE R8 = VT_R8;
constexpr VARTYPE I4 = VT_I4;
constexpr VARTYPE Bool = VT_BOOL;

constexpr std::array<TZevCatalogueEntry, ZevItemCount> Catalogue{{
    {L"String.ZEV-30 Firmware Version", Str, 0},
    {L"String.Coating Plant Name", Str, 1},
    {L"String.Last Process Run Sheet", Str, 2},
    {L"String.Last I/O Assignment", Str, 3},
    {L"String.Last Source/Sensor/OM Config", Str, 4},
    {L"Counter.COMM-ZEV-30", I4, 5},
    {L"String.Date And Time", Str, 6},
    {L"String.Xtal-1 RawFreq", R8, 7},
    {L"String.Xtal-2 RawFreq", R8, 8},
    {L"String.Xtal-3 RawFreq", R8, 9},
    {L"String.Xtal-4 RawFreq", R8, 10},
    {L"Float.Rate Measured (A/s)", R8, 11},
    {L"Float.Thickness Measured (kA)", R8, 12},
    {L"Number.Layer Number", I4, 13},
    {L"Float.Chamber Pressure", R8, 14},
    {L"Float.Gas 1 Flow Measured", R8, 15},
    {L"Float.Gas 2 Flow Measured", R8, 16},
    {L"Float.Source X Rate Measured (A/s)", R8, 17},
    {L"Float.Source Y Rate Measured (A/s)", R8, 18},
    {L"Float.Source Z Rate Measured (A/s)", R8, 19},
    {L"Float.Source X Power (%)", R8, 20},
    {L"Float.Source Y Power (%)", R8, 21},
    {L"Float.Source Z Power (%)", R8, 22},
    {L"Float.OM Signal", R8, 23},
    {L"String.DM-State", Str, 24},
    {L"Timer.Deposit", Str, 25},
    {L"Flag.Qmere Process Stopped", Bool, 26},
    {L"Flag.ZEV-30 Process Stopped", Bool, 27},
    {L"Flag.Remote START", Bool, 28},
    {L"Flag.Remote RESET", Bool, 29},
    {L"Flag.Remote STOP", Bool, 30},
    {L"String.MRLD Layer Material", Str, 31},
    {L"Number.MRLD Layer Number", I4, 32},
    {L"String.MRLD DM-State", Str, 33},
    {L"Timer.MRLD Timer (msec)", Str, 34},
    {L"Float.MRLD Thickness Target (kA)", R8, 35},
    {L"Float.MRLD Thickness Measured (kA)", R8, 36},
    {L"Float.MRLD Rate Measured (A/s)", R8, 37},
    {L"Float.MRLD Source Power (%)", R8, 38},
    {L"String.MRLD Xtal RawFreq (Hz)", Str, 39},
    {L"Flag.Disturbance", Bool, 40},
    {L"Flag.Process IS Running", Bool, 41},
    {L"Flag.Simulation", Bool, 42},
    {L"Flag.Spare-Flag-1", Bool, 43},
    {L"Flag.Layer END", Bool, 44},
    {L"Number.Xtal 1 ACT POS", I4, 45},
    {L"Number.Xtal 2 ACT POS", I4, 46},
    {L"Number.Xtal 3 ACT POS", I4, 47},
    {L"Number.Xtal 4 ACT POS", I4, 48},
    {L"Number.Source X ACT POS", I4, 49},
    {L"Number.Source Y ACT POS", I4, 50},
    {L"Number.Source Z ACT POS", I4, 51},
    {L"Float.Gas 1 Control (Volt)", R8, 52},
    {L"Float.Gas 2 Control (Volt)", R8, 53},
    {L"Output.OUT 1", Bool, 54},
    {L"Output.OUT 2", Bool, 55},
    {L"Output.OUT 3", Bool, 56},
    {L"Output.OUT 4", Bool, 57},
    {L"Output.OUT 5", Bool, 58},
    {L"Output.OUT 6", Bool, 59},
    {L"Output.OUT 7", Bool, 60},
    {L"Output.OUT 8", Bool, 61},
    {L"Output.OUT 9", Bool, 62},
    {L"Output.OUT 10", Bool, 63},
    {L"Output.OUT 11", Bool, 64},
    {L"Output.OUT 12", Bool, 65},
    {L"Output.OUT 13", Bool, 66},
    {L"Output.OUT 14", Bool, 67},
    {L"Output.OUT 15", Bool, 68},
    {L"Output.OUT 16", Bool, 69},
    {L"Output.OUT 17", Bool, 70},
    {L"Output.OUT 18", Bool, 71},
    {L"Output.OUT 19", Bool, 72},
    {L"Output.OUT 20", Bool, 73},
    {L"Output.OUT 21", Bool, 74},
    {L"Output.OUT 22", Bool, 75},
    {L"Output.OUT 23", Bool, 76},
    {L"Output.OUT 24", Bool, 77},
    {L"Output.OUT 25", Bool, 78},
    {L"Output.OUT 26", Bool, 79},
    {L"Output.OUT 27", Bool, 80},
    {L"Output.OUT 28", Bool, 81},
    {L"Output.OUT 29", Bool, 82},
    {L"Output.OUT 30", Bool, 83},
    {L"Output.OUT 31", Bool, 84},
    {L"Output.OUT 32", Bool, 85},
    {L"Input.IN 1", Bool, 86},
    {L"Input.IN 2", Bool, 87},
    {L"Input.IN 3", Bool, 88},
    {L"Input.IN 4", Bool, 89},
    {L"Input.IN 5", Bool, 90},
    {L"Input.IN 6", Bool, 91},
    {L"Input.IN 7", Bool, 92},
    {L"Input.IN 8", Bool, 93},
    {L"Input.IN 9", Bool, 94},
    {L"Input.IN 10", Bool, 95},
    {L"Input.IN 11", Bool, 96},
    {L"Input.IN 12", Bool, 97},
    {L"Input.IN 13", Bool, 98},
    {L"Input.IN 14", Bool, 99},
    {L"Input.IN 15", Bool, 100},
    {L"Input.IN 16", Bool, 101},
    {L"Output.REL 1", Bool, 102},
    {L"Output.REL 2", Bool, 103},
    {L"Output.REL 3", Bool, 104},
    {L"Output.REL 4", Bool, 105},
    {L"Output.REL 5", Bool, 106},
    {L"Output.REL 6", Bool, 107},
    {L"Output.REL 7", Bool, 108},
    {L"Output.REL 8", Bool, 109},
    {L"Output.REL 9", Bool, 110},
    {L"Output.REL 10", Bool, 111},
    {L"Output.REL 11", Bool, 112},
    {L"Output.REL 12", Bool, 113},
    {L"Output.REL 13", Bool, 114},
    {L"Output.REL 14", Bool, 115},
    {L"Output.REL 15", Bool, 116},
    {L"Boolean.srvZEV30win", Bool, ZevNoRow},
    {L"String.Remote Process Time", Str, 117},
    {L"String.Remote Layer Number", Str, 118},
    {L"String.Remote Source", Str, 119},
    {L"String.Remote Layer Material", Str, 120},
    {L"String.Remote State", Str, 121},
    {L"String.Remote State Time", Str, 122},
    {L"String.Remote Layer Time", Str, 123},
    {L"String.Remote START-RESUME", Str, 124},
    {L"String.Remote Pressure", Str, 125},
    {L"String.Remote Gas1 Flow", Str, 126},
    {L"String.Remote Gas2 Flow", Str, 127},
    {L"Flag.REM-CL-START", Bool, 128},
    {L"Flag.REM-CL-RESET", Bool, 129},
    {L"Flag.REM-CL-STOP", Bool, 130},
}};

// Rows follow the handles, skipping the Edit1 item: a typo in the row column
// of the table above fails the build instead of mixing up two items' values.
constexpr bool RowsFollowHandles()
{
    for (int handle = 1; handle <= ZevItemCount; ++handle) {
        const int expected = handle < ZevWindowCommandHandle ? handle - 1
                           : handle == ZevWindowCommandHandle ? ZevNoRow
                                                              : handle - 2;
        if (Catalogue[handle - 1].Row != expected) return false;
    }
    return true;
}
static_assert(RowsFollowHandles());

constexpr int HandleOfRow(int row) { return row < ZevWindowCommandHandle - 1 ? row + 1 : row + 2; }

constexpr std::array<std::wstring_view, ZevRowCount> MakeRowLabels()
{
    std::array<std::wstring_view, ZevRowCount> labels{};
    for (int row = 0; row < ZevRowCount; ++row) labels[row] = Catalogue[HandleOfRow(row) - 1].ItemId;
    labels[129] = L"Flag.REM-CL-RESUME";
    return labels;
}

constexpr std::array<std::wstring_view, ZevRowCount> RowLabels = MakeRowLabels();

constexpr wchar_t FoldAsciiLetter(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? c - (L'a' - L'A') : c; }

}  // namespace

std::span<const TZevCatalogueEntry, ZevItemCount> ZevCatalogue() noexcept { return Catalogue; }

const TZevCatalogueEntry& ZevCatalogueEntry(int handle)
{
    if (!IsZevHandle(handle)) throw std::out_of_range("ZEV-30 item handle out of range");
    return Catalogue[handle - 1];
}

bool SameZevItemId(std::wstring_view a, std::wstring_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) return false;
    return true;
}

int FindCatalogueHandle(std::wstring_view id) noexcept
{
    for (int handle = 1; handle <= ZevItemCount; ++handle)
        if (SameZevItemId(id, Catalogue[handle - 1].ItemId)) return handle;
    return 0;
}

std::wstring_view ZevRowLabel(int row)
{
    if (row < 0 || row >= ZevRowCount) throw std::out_of_range("item list row out of range");
    return RowLabels[row];
}
