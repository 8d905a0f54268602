#include "SeriesPage.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ChartNavigation.h"
#include "TimeSpanTable.h"

namespace {

constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr int kPageMargin = 8;
constexpr int kInnerWidth = 318;

TLabelStyle RowLabelStyle(HFONT bold, TTextAlign align)
{
    TLabelStyle s;
    s.Background = kSilver;
    s.Font = bold;
    s.Align = align;
    return s;
}

TLabelStyle PlainStyle(HFONT font, COLORREF background = GetSysColor(COLOR_BTNFACE))
{
    TLabelStyle s;
    s.Background = background;
    s.Font = font;
    return s;
}

}  // namespace

void TSeriesPage::Create(HWND page, HFONT font)
{
    TControlCreateArgs tabs;
    tabs.Parent = page;
    tabs.ClassName = WC_TABCONTROLW;
    tabs.Style = WS_CLIPSIBLINGS | WS_TABSTOP;
    SeriesTabs.Create(tabs);
    SeriesTabs.SetFont(font);
    for (const wchar_t* caption : {L"Series 1-10", L"Series 11-20", L"Options"}) SeriesTabs.AddTab(caption);
    SeriesTabs.Select(0);
    for (TPanel& inner : InnerPages) inner.CreatePanel(page, GetSysColor(COLOR_BTNFACE));

    for (int n = 0; n < kTrendSeriesCount; ++n) {
        TSeriesRowControls& row = Rows[static_cast<size_t>(n)];
        const HWND parent = InnerPages[n < 10 ? 0 : 1].Handle();
        row.PP.CreatePanel(parent, kSilver);
        row.PP.SetLowered(true);
        row.SL.CreateLabel(row.PP.Handle(), std::to_wstring(n + 1), RowLabelStyle(bold_.Handle(), TTextAlign::Center));
        row.SSL.CreateLabel(row.PP.Handle(), TrendSeriesTable[static_cast<size_t>(n)].Name,
                            RowLabelStyle(bold_.Handle(), TTextAlign::Left));
        row.CP.CreatePanel(row.PP.Handle(), RGB(0, 0, 0));
        row.SH.CreateButton(row.PP.Handle(), L"Show");
        row.SH.SetFont(font);
    }

    const HWND options = InnerPages[2].Handle();
    YAxisLabel.CreateLabel(options, L"Y - Axis", PlainStyle(font));
    ComboBox6.CreateComboBox(options, 80);
    ComboBox6.SetFont(font);
    ComboBox6.AddItem(L" Auto OFF");
    ComboBox6.AddItem(L" Auto ON");
    ComboBox6.Select(0);
    MaxLabel.CreateLabel(options, L"Max [%]", PlainStyle(font));
    SSMax.CreateNumberEdit(options, TChartNavigation::kSSMaxLowest);
    SSMax.SetFont(font);
    MinLabel.CreateLabel(options, L"Min [%]", PlainStyle(font));
    SSMin.CreateNumberEdit(options, TChartNavigation::kSSMinLowest);
    SSMin.SetFont(font);
    UndoZoomButton.CreateButton(options, L"     Undo           Zoom", true);
    UndoZoomButton.SetFont(bold_.Handle());
    HSAllS.CreateButton(options, L"Hide All Series");
    HSAllS.SetFont(font);
    RamLabel.CreateLabel(options, L"RAM Allocation", PlainStyle(font));
    TLabelStyle ram = PlainStyle(bold_.Handle(), kLime);
    ram.Align = TTextAlign::Center;
    ram.Lowered = true;
    S_Size.CreateLabel(options, L" ", ram);

    TimeSpanPanel.CreatePanel(page, GetSysColor(COLOR_BTNFACE));
    std::vector<std::wstring> spans;
    for (const TTimeSpanEntry& entry : TimeSpanTable) spans.emplace_back(entry.Caption);
    XAxisTS.CreateRadioGroup(TimeSpanPanel.Handle(), L"  X-axis Time Span ", spans, 4);
    XAxisTS.SetFont(font);
    XAxisTS.Select(kDefaultTimeSpan);
    ShiftLabel.CreateLabel(TimeSpanPanel.Handle(), L"Shift one span", PlainStyle(font));
    XAxisScrl.CreateUpDown(TimeSpanPanel.Handle(), true, -10000, 10000);
    ResetX.CreateButton(TimeSpanPanel.Handle(), L"Reset");
    ResetX.SetFont(font);

    Panel2.CreatePanel(page, kLime);
    Panel2.SetLowered(true);
    TLabelStyle notice = PlainStyle(bold_.Handle(), kLime);
    notice.Align = TTextAlign::Center;
    SerLineWidth.CreateLabel(Panel2.Handle(), L"Xtal 1 Frequency [Hz]  -  Line Width = ", notice);
    Panel2.SetVisible(false);
    Panel3.CreatePanel(page, kYellow);
    Panel3.SetLowered(true);
    ResetLabel.CreateLabel(Panel3.Handle(), L"Reset Line Width for All Series", PlainStyle(bold_.Handle(), kYellow));
    ResetSLW.CreateButton(Panel3.Handle(), L"Reset");
    ResetSLW.SetFont(font);
    Panel3.SetVisible(false);

    Hints.CreateToolTip(page);
    Hints.AddTool(XAxisScrl.Handle(), L"Shift Plot along X-axis");
    Hints.AddTool(ResetX.Handle(), L"Reset X-axis to 10 min Time Span");
    ShowSelectedInnerPage();
}

void TSeriesPage::ShowSelectedInnerPage()
{
    const int selected = SeriesTabs.Selected();
    for (int i = 0; i < 3; ++i) InnerPages[static_cast<size_t>(i)].SetVisible(i == selected);
}

void TSeriesPage::Layout(int width, int height, int top)
{
    if (!SeriesTabs.Handle()) return;
    const int tabsTop = top + kPageMargin;
    const int strip = std::max(SeriesTabs.StripHeight(), 20);
    const int innerTop = tabsTop + strip;
    const int innerHeight = 10 * (kRowHeight + 3) + 12;
    SeriesTabs.SetBounds(kPageMargin, tabsTop, kInnerWidth, strip + innerHeight + 4);
    for (TPanel& inner : InnerPages) inner.SetBounds(kPageMargin + 2, innerTop + 2, kInnerWidth - 4, innerHeight);
    // The inner pages lie over the tab control's body.
    for (TPanel& inner : InnerPages)
        SetWindowPos(inner.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    for (int n = 0; n < kTrendSeriesCount; ++n) {
        TSeriesRowControls& row = Rows[static_cast<size_t>(n)];
        row.PP.SetBounds(8, 6 + (n % 10) * (kRowHeight + 3), kRowWidth, kRowHeight);
        row.SL.SetBounds(3, 4, 22, 18);
        row.SSL.SetBounds(28, 4, 178, 18);
        row.CP.SetBounds(212, 9, 20, 8);
        row.SH.SetBounds(240, 4, 50, 18);
    }

    YAxisLabel.SetBounds(12, 16, 60, 18);
    ComboBox6.SetBounds(80, 14, 100, 80);
    MaxLabel.SetBounds(12, 50, 60, 18);
    SSMax.SetBounds(80, 48, 100, 22);
    MinLabel.SetBounds(12, 82, 60, 18);
    SSMin.SetBounds(80, 80, 100, 22);
    UndoZoomButton.SetBounds(200, 14, 90, 88);
    HSAllS.SetBounds(12, 130, 168, 28);
    RamLabel.SetBounds(12, 180, 90, 18);
    S_Size.SetBounds(106, 178, 110, 22);

    const int right = kPageMargin + kInnerWidth + 14;
    const int rightWidth = std::max(width - right - kPageMargin, 0);
    TimeSpanPanel.SetBounds(right, tabsTop, rightWidth, 150);
    XAxisTS.SetBounds(0, 0, rightWidth, 104);
    ShiftLabel.SetBounds(10, 118, 90, 18);
    XAxisScrl.SetBounds(104, 114, 40, 24);
    ResetX.SetBounds(rightWidth - 90, 112, 80, 28);

    Panel2.SetBounds(right, tabsTop + 170, rightWidth, 32);
    SerLineWidth.SetBounds(4, 4, rightWidth - 8, 24);
    Panel3.SetBounds(right, tabsTop + 214, rightWidth, 40);
    ResetLabel.SetBounds(10, 10, rightWidth - 110, 20);
    ResetSLW.SetBounds(rightWidth - 90, 6, 80, 28);
    (void)height;
}
