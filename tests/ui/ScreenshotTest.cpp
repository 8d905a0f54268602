// Draws the server page with sample connections and values, checks what is on
// the screen where the decorative band and the item list are, and keeps the
// picture as ui-screenshot.bmp in the build tree for people to look at.
#include "ScreenCapture.h"
#include "UiTestUtil.h"

namespace {

void FillSampleData(TMF& form)
{
    const std::pair<int, const char*> values[] = {{0, "1"},           {1, "3"},          {2, "12"},
                                                  {3, "Aluminium"},   {5, "14:32:07"},   {6, "2025-12-08"},
                                                  {7, "5998321.44"},  {8, "5997010.12"}, {9, "6000000.00"},
                                                  {10, "6000000.00"}, {11, "12.4"},      {12, "1.250"},
                                                  {13, "4"},          {14, "0.0000025"}, {15, "18.5"},
                                                  {16, "0.0"},        {17, "12.4"},      {18, "0.0"},
                                                  {19, "0.0"},        {20, "41.7"},      {21, "0.0"},
                                                  {22, "0.0"},        {23, "0.73"},      {24, "DEPOSIT"}};
    for (const auto& [row, text] : values) form.ItemValueTable.SetValue(row, text);

    auto none = [] { return TNodeLink{}; };
    HTREEITEM plant = form.AddClientNode(none());
    form.SetClientNodeName(plant, L"Plant A");
    HTREEITEM g1 = form.AddChildNode(plant, L"G1", none());
    form.AddChildNode(g1, L"Float.Chamber Pressure", none());
    form.AddChildNode(g1, L"Output.OUT 3", none());
    form.AddClientNode(none());
    for (const wchar_t* line :
         {L"Client connected Ok", L"Client SetName Ok", L"Add Group G1 ok", L"Add Item Float.Chamber Pressure ok",
          L"Add Item Output.OUT 3 ok", L"Client connected Ok"})
        form.AddLogLine(line);
    form.ItemList.SelectRow(14);
}

}  // namespace

using TScreenshot = TFormTest;

TEST_F(TScreenshot, ServerPageDrawsBandsTabsAndRows)
{
    FillSampleData(*form);
    SetForegroundWindow(form->Handle());
    form->ItemList.Focus();
    RECT outer{}, list{};
    GetWindowRect(form->Handle(), &outer);
    GetWindowRect(form->ItemList.Handle(), &list);
    POINT band{40, 4};
    ClientToScreen(form->Handle(), &band);
    // The band along the top of the client area is blue.
    const auto bandIsBlue = [&](const TCapture& shot) {
        const COLORREF c = shot.At(band.x - outer.left, band.y - outer.top);
        return GetBValue(c) > GetRValue(c) + 40;
    };
    // The list's header and rows draw something other than blank background
    // where the texts are.
    const auto listDark = [&](const TCapture& shot) {
        int dark = 0;
        for (int y = list.top - outer.top + 4; y < list.top - outer.top + 120; ++y)
            for (int x = list.left - outer.left + 4; x < list.left - outer.left + 200; ++x) {
                const COLORREF p = shot.At(x, y);
                if (GetRValue(p) + GetGValue(p) + GetBValue(p) < 200) ++dark;
            }
        return dark;
    };
    ASSERT_TRUE(Settle(*form));
    const TCapture shot =
        CaptureWhen(form->Handle(), [&](const TCapture& s) { return bandIsBlue(s) && listDark(s) > 200; });
    ASSERT_EQ(shot.Width, 730);
    shot.SaveBmp(std::wstring(UI_TEST_SCREENSHOT_DIR) + L"\\ui-screenshot.bmp");
    EXPECT_TRUE(bandIsBlue(shot));
    EXPECT_GT(listDark(shot), 200);
}
