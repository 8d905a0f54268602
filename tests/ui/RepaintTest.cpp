// After a splitter drag or a resize the item list, the log and the tree show
// exactly what a full repaint draws, never pieces of what they showed before.
#include <functional>

#include "ScreenCapture.h"
#include "UiTestUtil.h"

using TRepaint = TFormTest;

TEST_F(TRepaint, SplitterDragsAndResizesLeaveNoStalePictures)
{
    for (int row = 0; row < TItemValueTable::RowCount; ++row) form->ItemValueTable.SetValue(row, std::to_string(row));
    for (int i = 0; i < 40; ++i) form->AddLogLine(L"Add Item Float.Chamber Pressure ok " + std::to_wstring(i));
    ASSERT_TRUE(PumpUntilRedrawOn(form->ServerLog.Handle()));
    const auto resize = [&](int dx, int dy) {
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        SetWindowPos(form->Handle(), nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const struct {
        const char* Name;
        int SelectedRow;  // the list scrolled to show it
        std::function<void()> Act;
    } cases[] = {{"tree splitter right", 20, [&] { DragSplitterRightOf(*form, form->ClientTree.Handle(), 60); }},
                 {"log splitter right", 20, [&] { DragSplitterRightOf(*form, form->ItemList.Handle(), 50); }},
                 {"log splitter left", 20, [&] { DragSplitterRightOf(*form, form->ItemList.Handle(), -80); }},
                 {"window larger", 120, [&] { resize(120, 200); }},
                 {"window smaller", 120, [&] { resize(-150, -250); }}};
    for (const auto& c : cases) {
        form->ItemList.SelectRow(c.SelectedRow);
        c.Act();
        PumpMessages();  // the paints the change asked for
        for (HWND control : {form->ItemList.Handle(), form->ServerLog.Handle(), form->ClientTree.Handle()}) {
            const TCapture shown = CaptureDrawn(control);
            RedrawWindow(control, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            EXPECT_TRUE(shown == CaptureDrawn(control)) << c.Name << ", control " << control;
        }
    }
}
