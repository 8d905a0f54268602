// What the server page shows after an operator drags a splitter or resizes
// the window: the item list, the log and the tree exactly as a full repaint
// draws them, never pieces of what they showed before.
#include <functional>

#include "ScreenCapture.h"
#include "UiTestUtil.h"

namespace {

class TRepaint : public TFormTest {
protected:
    void SetUp() override
    {
        TFormTest::SetUp();
        for (int row = 0; row < TItemValueTable::RowCount; ++row)
            form->ItemValueTable.SetValue(row, "value " + std::to_string(row));
        for (int i = 0; i < 40; ++i) form->AddLogLine(L"Add Item Float.Chamber Pressure ok " + std::to_wstring(i));
        SetForegroundWindow(form->Handle());
        PumpFor(300);
    }
    // The pixels of a control as the screen shows it once the window is idle.
    static TCapture Shown(HWND control)
    {
        PumpFor(300);
        return CaptureWindow(control);
    }
    // The same after the control and everything in it drew itself anew.
    static TCapture Redrawn(HWND control)
    {
        RedrawWindow(control, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return Shown(control);
    }
    static int Differences(const TCapture& a, const TCapture& b)
    {
        if (a.Width != b.Width || a.Height != b.Height) return -1;
        int n = 0;
        for (int y = 0; y < a.Height; ++y)
            for (int x = 0; x < a.Width; ++x) n += a.At(x, y) != b.At(x, y) ? 1 : 0;
        return n;
    }
    // A drag in four mouse moves, as a hand makes it.
    void DragSplitterRightOf(HWND control, int dx)
    {
        const RECT r = BoundsInParent(control);
        const HWND splitter = ChildWindowFromPoint(form->TabSheet1.Handle(), POINT{r.right + 1, 100});
        ASSERT_NE(splitter, control);
        SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 50));
        for (int step = 1; step <= 4; ++step)
            SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + dx * step / 4, 50));
        SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(1 + dx, 50));
    }
    void Resize(int dx, int dy)
    {
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        SetWindowPos(form->Handle(), nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

}  // namespace

TEST_F(TRepaint, SplitterDragsAndResizesLeaveNoStalePictures)
{
    const struct {
        const char* Name;
        int SelectedRow;  // the list scrolled to show it
        std::function<void()> Act;
    } cases[] = {
        {"tree splitter right", 20, [&] { DragSplitterRightOf(form->ClientTree.Handle(), 60); }},
        {"tree splitter left", 20, [&] { DragSplitterRightOf(form->ClientTree.Handle(), -40); }},
        {"log splitter right", 20, [&] { DragSplitterRightOf(form->ItemList.Handle(), 50); }},
        {"log splitter left", 20, [&] { DragSplitterRightOf(form->ItemList.Handle(), -80); }},
        {"window larger", 120, [&] { Resize(120, 200); }},
        {"window smaller", 120, [&] { Resize(-150, -250); }},
    };
    for (const auto& c : cases) {
        form->ItemList.SelectRow(c.SelectedRow);
        PumpFor(200);
        c.Act();
        for (HWND control : {form->ItemList.Handle(), form->ServerLog.Handle(), form->ClientTree.Handle()}) {
            const TCapture shown = Shown(control);
            EXPECT_EQ(Differences(shown, Redrawn(control)), 0) << c.Name << ", control " << control;
        }
    }
}
