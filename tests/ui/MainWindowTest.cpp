// The main window's shape, pages, item list and window-command field.
#include "UiTestUtil.h"  // windows.h before the common controls

#include <commctrl.h>

using TMainWindow = TFormTest;

TEST_F(TMainWindow, IsACentredTopmostWindowWithoutTitleBarButtons)
{
    const HWND hwnd = form->Handle();
    EXPECT_EQ(WindowText(hwnd), L"Quillmere Server");
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 730);
    EXPECT_EQ(r.bottom - r.top, 539);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 730) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 539) / 2);

    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(TMainWindow, IsFoundByItsClassNameAlsoWhileHidden)
{
    wchar_t className[128]{};
    GetClassNameW(form->Handle(), className, 128);
    EXPECT_STREQ(className, kMainWindowClassName);
    ShowWindow(form->Handle(), SW_HIDE);
    EXPECT_EQ(FindWindowW(kMainWindowClassName, nullptr), form->Handle());
}

TEST_F(TMainWindow, HasThreePagesWithButtonTabsInArialBold)
{
    ASSERT_EQ(form->PageControl1.TabCount(), 3);
    EXPECT_EQ(form->PageControl1.TabCaption(0), L"ZEV-30 Server");
    EXPECT_EQ(form->PageControl1.TabCaption(1), L"Data Charting");
    EXPECT_EQ(form->PageControl1.TabCaption(2), L"Series");
    EXPECT_EQ(form->PageControl1.Selected(), 0);
    EXPECT_NE(GetWindowLongPtrW(form->PageControl1.Handle(), GWL_STYLE) & TCS_BUTTONS, 0);
    const LOGFONTW tabFont = FontOf(form->PageControl1.Handle());
    EXPECT_STREQ(tabFont.lfFaceName, L"Arial");
    EXPECT_EQ(tabFont.lfHeight, -13);
    EXPECT_GE(tabFont.lfWeight, FW_BOLD);
    EXPECT_TRUE(IsWindowVisible(form->TabSheet1.Handle()));
    EXPECT_FALSE(IsWindowVisible(form->TabSheet2.Handle()));
    EXPECT_FALSE(IsWindowVisible(form->TabSheet3.Handle()));
}

TEST_F(TMainWindow, ItemListShowsTheValueTableInThreeColumns)
{
    TListView& list = form->ItemList;
    ASSERT_EQ(list.RowCount(), 131);
    ASSERT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(list.ColumnCaption(0), L"  No.");
    EXPECT_EQ(list.ColumnCaption(1), std::wstring(41, L' ') + L"Item");
    EXPECT_EQ(list.ColumnCaption(2), L"Value");
    EXPECT_EQ(list.ColumnWidth(0), 40);
    EXPECT_EQ(list.ColumnWidth(1), 300);
    EXPECT_EQ(list.ColumnWidth(2), 160);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT;
    SendMessageW(list.Handle(), LVM_GETCOLUMNW, 2, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);

    EXPECT_EQ(list.CellDisplayText(0, 0), L"0");
    EXPECT_EQ(list.CellDisplayText(130, 0), L"130");
    EXPECT_EQ(list.CellDisplayText(14, 1), L"Float.Chamber Pressure");
    EXPECT_EQ(list.CellDisplayText(129, 1), L"Flag.REM-CL-RESUME");
    EXPECT_EQ(list.CellDisplayText(14, 2), L"");
    form->ItemValueTable.SetValue(14, "2.5000000");
    EXPECT_EQ(list.CellDisplayText(14, 2), L"2.5000000");
    form->ItemValueTable.SetValue(130, "\xC4rger");  // 8-bit text in the ANSI code page
    EXPECT_EQ(list.CellDisplayText(130, 2), L"\u00C4rger");
}

TEST_F(TMainWindow, ItemListIsAReadOnlyReportWithWholeRowSelection)
{
    const HWND list = form->ItemList.Handle();
    const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_NE(style & LVS_SHOWSELALWAYS, 0);
    EXPECT_EQ(style & LVS_EDITLABELS, 0);
    const auto ex = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_NE(ex & LVS_EX_FULLROWSELECT, 0u);
    EXPECT_NE(ex & LVS_EX_DOUBLEBUFFER, 0u);
    EXPECT_EQ(form->ItemList.SelectedRow(), -1);
}

TEST_F(TMainWindow, ServerPageHasTreeListAndLogSideBySide)
{
    const RECT tree = BoundsInParent(form->ClientTree.Handle());
    const RECT list = BoundsInParent(form->ItemList.Handle());
    const RECT log = BoundsInParent(form->ServerLog.Handle());
    const RECT page = form->TabSheet1.ClientRect();
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(tree.right - tree.left, 100);
    EXPECT_EQ(list.right - list.left, 525);
    EXPECT_GT(list.left, tree.right - 1);
    EXPECT_GT(log.left, list.right - 1);
    EXPECT_EQ(log.right, page.right);
    EXPECT_EQ(tree.top, 10);  // below the page's band
    EXPECT_EQ(log.bottom, page.bottom);

    EXPECT_EQ(SendMessageW(form->ClientTree.Handle(), TVM_GETINDENT, 0, 0), 19);
    EXPECT_EQ(GetWindowLongPtrW(form->ClientTree.Handle(), GWL_STYLE) & TVS_EDITLABELS, 0);
    EXPECT_EQ(form->ServerLog.RowHeight(), 15);
    for (HWND h : {form->ClientTree.Handle(), form->ServerLog.Handle()}) {
        const LOGFONTW f = FontOf(h);
        EXPECT_STREQ(f.lfFaceName, L"Arial");
        EXPECT_EQ(f.lfHeight, -12);
    }
}

TEST_F(TMainWindow, SplittersShareTheWidthBetweenTheirNeighbours)
{
    const RECT tree = BoundsInParent(form->ClientTree.Handle());
    const RECT list = BoundsInParent(form->ItemList.Handle());
    const RECT logBefore = BoundsInParent(form->ServerLog.Handle());
    HWND splitter = ChildWindowFromPoint(form->TabSheet1.Handle(), POINT{tree.right + 1, 100});
    ASSERT_NE(splitter, form->TabSheet1.Handle());
    ASSERT_NE(splitter, nullptr);
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 50));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(31, 50));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(31, 50));
    const RECT treeAfter = BoundsInParent(form->ClientTree.Handle());
    const RECT listAfter = BoundsInParent(form->ItemList.Handle());
    const RECT logAfter = BoundsInParent(form->ServerLog.Handle());
    EXPECT_EQ(treeAfter.right - treeAfter.left, 130);
    EXPECT_EQ(listAfter.right - listAfter.left, list.right - list.left);
    EXPECT_EQ(listAfter.left, list.left + 30);
    EXPECT_EQ(logAfter.left, logBefore.left + 30);
    EXPECT_EQ(logAfter.right, logBefore.right);
}

TEST_F(TMainWindow, SwitchingPagesMovesTheFocus)
{
    form->PageControl1.Select(1);
    form->PageControl1Change();
    EXPECT_EQ(GetFocus(), form->Charting.DataPage.ChartPanel.Handle());
    form->PageControl1.Select(2);
    form->PageControl1Change();
    EXPECT_EQ(GetFocus(), form->Charting.SeriesPage.TimeSpanPanel.Handle());
    form->PageControl1.Select(0);
    form->FormActivate();
    EXPECT_EQ(GetFocus(), form->ItemList.Handle());
}

TEST_F(TMainWindow, Edit1StartsWithItsDesignTextAndIsNeverShown)
{
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "Edit1");
    EXPECT_EQ(form->Edit1.Text(), L"Edit1");
    EXPECT_FALSE(IsWindowVisible(form->Edit1.Handle()));
}

TEST_F(TMainWindow, Edit1OneTogglesTheWindowAndBecomesZero)
{
    ASSERT_TRUE(form->Shown());
    form->ItemValueTable.SetEdit1Text("1");
    EXPECT_TRUE(form->Minimised());
    EXPECT_FALSE(form->Shown());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "0");
    EXPECT_EQ(form->Edit1.Text(), L"0");

    form->ItemValueTable.SetEdit1Text("1");
    EXPECT_FALSE(form->Minimised());
    EXPECT_TRUE(form->Shown());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "0");
}

TEST_F(TMainWindow, Edit1TwoHidesAndStaysTwo)
{
    form->ItemValueTable.SetEdit1Text("2");
    EXPECT_TRUE(form->Minimised());
    EXPECT_FALSE(form->Shown());
    EXPECT_EQ(form->ItemValueTable.Edit1Text(), "2");
    form->ItemValueTable.SetEdit1Text("2");
    EXPECT_FALSE(form->Shown());
    EXPECT_EQ(form->Edit1.Text(), L"2");
}

TEST_F(TMainWindow, Edit1OtherTextsChangeNothing)
{
    for (const char* text : {"hello", "0", "12", " 1", ""}) {
        form->ItemValueTable.SetEdit1Text(text);
        EXPECT_TRUE(form->Shown()) << text;
        EXPECT_FALSE(form->Minimised()) << text;
        EXPECT_EQ(form->ItemValueTable.Edit1Text(), text);
    }
}

TEST_F(TMainWindow, BringToFrontRestoresAHiddenMinimisedWindow)
{
    form->ItemValueTable.SetEdit1Text("2");
    ASSERT_FALSE(form->Shown());
    EXPECT_EQ(SendMessageW(form->Handle(), 1025, 0, 0), 0);
    EXPECT_TRUE(form->Shown());
    EXPECT_FALSE(form->Minimised());
}

TEST_F(TMainWindow, CopyDataIsAnsweredWithZero)
{
    char block[] = "arg\0\0";
    COPYDATASTRUCT data{0xDE1F1DAB, sizeof(block) - 1, block};
    EXPECT_EQ(SendMessageW(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 0);
}

TEST_F(TMainWindow, ClosingAsksCanCloseAndStaysOpenOnNo)
{
    int asked = 0;
    bool allow = false;
    form->CanClose = [&] {
        ++asked;
        return allow;
    };
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(MF, form.get());

    allow = true;
    const HWND hwnd = form->Handle();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(MF, nullptr);
    AddLogLine(L"nobody listens");  // no window: nothing happens
}
