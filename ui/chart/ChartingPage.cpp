#include "ChartingPage.h"

#include "GdiOwners.h"
#include "TimeSpanTable.h"
#include "TrendSeriesTable.h"

namespace {

constexpr COLORREF kLime = RGB(0, 255, 0);

// A magnifier with a minus: back out of the zoom.
void DrawUndoZoomGlyph(HDC dc, const RECT& r, bool disabled)
{
    TGdiPen pen(CreatePen(PS_SOLID, 2, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(32, 32, 32)));
    TSelectObject select(dc, pen.get());
    TSelectObject brush(dc, GetStockObject(NULL_BRUSH));
    const int size = std::min(r.right - r.left, r.bottom - r.top);
    const int lens = size * 2 / 3;
    Ellipse(dc, r.left, r.top, r.left + lens, r.top + lens);
    MoveToEx(dc, r.left + lens - 2, r.top + lens - 2, nullptr);
    LineTo(dc, r.left + size, r.top + size);
    MoveToEx(dc, r.left + 3, r.top + lens / 2, nullptr);
    LineTo(dc, r.left + lens - 3, r.top + lens / 2);
}

// A circle of three quarters with an arrowhead: start again.
void DrawResetGlyph(HDC dc, const RECT& r, bool disabled)
{
    const COLORREF color = disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(32, 32, 32);
    TGdiPen pen(CreatePen(PS_SOLID, 2, color));
    TSelectObject select(dc, pen.get());
    const int size = std::min(r.right - r.left, r.bottom - r.top);
    const int cx = r.left + size / 2, cy = r.top + size / 2, radius = size / 2 - 1;
    // Counter-clockwise from twelve o'clock round to three o'clock.
    Arc(dc, cx - radius, cy - radius, cx + radius, cy + radius, cx, cy - radius, cx + radius, cy);
    TGdiBrush fill(CreateSolidBrush(color));
    TSelectObject brush(dc, fill.get());
    TGdiPen thin(CreatePen(PS_SOLID, 1, color));
    TSelectObject outline(dc, thin.get());
    const POINT head[] = {{cx + radius, cy - 5}, {cx + radius - 4, cy + 1}, {cx + radius + 4, cy + 1}};
    Polygon(dc, head, 3);
}

TLabelStyle ValueStyle(HFONT bold)
{
    TLabelStyle s;
    s.Background = kLime;
    s.TextColor = RGB(0, 0, 0);
    s.Font = bold;
    s.Align = TTextAlign::Center;
    s.Lowered = true;
    return s;
}

TLabelStyle CaptionStyle(HFONT font)
{
    TLabelStyle s;
    s.Font = font;
    s.Align = TTextAlign::Right;
    return s;
}

}  // namespace

void TChartingPage::Create(HWND page, HFONT font)
{
    ReadoutBar.CreatePanel(page, GetSysColor(COLOR_BTNFACE));
    const HWND bar = ReadoutBar.Handle();
    LayerLabel.CreateLabel(bar, L"Layer", CaptionStyle(font));
    Lvalue.CreateLabel(bar, L" ", ValueStyle(bold_.Handle()));
    ScrlX.CreateUpDown(bar, true, -10000, 10000);
    TimeLabel.CreateLabel(bar, L"Time", CaptionStyle(font));
    Xvalue.CreateLabel(bar, L" ", ValueStyle(bold_.Handle()));
    ValueLabel.CreateLabel(bar, L"Y value", CaptionStyle(font));
    YSvalue.CreateLabel(bar, L" ", ValueStyle(bold_.Handle()));
    UndoZoomButton.CreateGlyphButton(bar);
    UndoZoomButton.DrawGlyph = DrawUndoZoomGlyph;
    ResetButton.CreateGlyphButton(bar);
    ResetButton.DrawGlyph = DrawResetGlyph;

    ChartPanel.CreatePanel(page, RGB(255, 255, 255), WS_EX_CLIENTEDGE);
    Chart9.CreateChart(ChartPanel.Handle());
    ScrlY.CreateUpDown(Chart9.Handle(), false, -10000, 10000);

    for (int n = 1; n <= kTrendSeriesCount; ++n) PopupMenu.AddEntry(L"", true, n == 11);
    PopupMenu.AddEntry(L"", false, true);  // PM21, the all-series switch
    PopupMenu.AddSeparator();
    PopupMenu.AddEntry(L"");  // PM22, the Y mode
    PopupMenu.AddSeparator();
    for (int i = kFirstPopupTimeSpan; i < kTimeSpanCount; ++i)
        PopupMenu.AddEntry(TimeSpanTable[static_cast<size_t>(i)].PopupCaption);

    Hints.CreateToolTip(page);
    Hints.AddTool(ScrlX.Handle(), L"Scroll Plot along X-axis");
    Hints.AddTool(ScrlY.Handle(), L"Scroll Plot along Y-axis");
    Hints.AddTool(UndoZoomButton.Handle(), L"Undo Zoom");
    Hints.AddTool(ResetButton.Handle(), L"Reset");
}

void TChartingPage::Layout(int width, int height, int top)
{
    if (!ReadoutBar.Handle()) return;
    ReadoutBar.SetBounds(0, top, width, kReadoutHeight);
    int x = 6;
    const auto place = [&](auto& control, int w, int h, int gap) {
        control.SetBounds(x, (kReadoutHeight - h) / 2, w, h);
        x += w + gap;
    };
    place(LayerLabel, 34, 18, 4);
    place(Lvalue, 50, 22, 8);
    place(ScrlX, 36, 22, 14);
    place(TimeLabel, 32, 18, 4);
    place(Xvalue, 108, 22, 14);
    place(ValueLabel, 46, 18, 4);
    place(YSvalue, 108, 22, 14);
    place(UndoZoomButton, 26, 26, 4);
    place(ResetButton, 26, 26, 4);

    const int chartTop = top + kReadoutHeight;
    ChartPanel.SetBounds(0, chartTop, width, std::max(height - chartTop, 0));
    const RECT inside = ChartPanel.ClientRect();
    Chart9.SetBounds(0, 0, inside.right, inside.bottom);
    ScrlY.SetBounds(2, 2, 17, 34);
}
