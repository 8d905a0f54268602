// Tree and log changed many times within one message repaint once afterwards,
// and come back whole: laid out, redrawing, and the log at its newest line.
#include "UiTestUtil.h"

#include <commctrl.h>

namespace {

class TBurst : public TFormTest {
protected:
    // What a client's call that adds many items does to the window, with no
    // message handled in between; then the message loop runs again.
    HTREEITEM AddBurst(int items)
    {
        TClientTree& tree = form->ClientTree;
        HTREEITEM client = tree.AddLinkedNode(nullptr, L"Client burst", TNodeLink{});
        HTREEITEM group = tree.AddLinkedNode(client, L"Group0", TNodeLink{});
        HTREEITEM last = nullptr;
        for (int i = 0; i < items; ++i) {
            last = tree.AddLinkedNode(group, L"Item " + std::to_wstring(i), TNodeLink{});
            form->AddLogLine(L"Add Item " + std::to_wstring(i) + L" ok");
        }
        return last;
    }
    // Pixels of the control on the screen darker than mid-grey: its text.
    static int DarkPixels(HWND control)
    {
        RECT r{};
        GetWindowRect(control, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        int dark = 0;
        for (int y = 0; y < h; y += 2)
            for (int x = 0; x < w; ++x) {
                const COLORREF c = GetPixel(memory, x, y);
                dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96 ? 1 : 0;
            }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return dark;
    }
    static RECT NodeRect(HWND tree, HTREEITEM node)
    {
        RECT r{};
        if (!TreeView_GetItemRect(tree, node, &r, TRUE)) return RECT{};
        return r;
    }
};

TEST_F(TBurst, TheLogFollowsItsNewestLineOnceTheBurstIsOver)
{
    const HWND log = form->ServerLog.Handle();
    for (int i = 0; i < 5; ++i) form->AddLogLine(L"before " + std::to_wstring(i));
    ASSERT_TRUE(PumpUntil([&] { return !RedrawDeferred(log); }));
    ASSERT_TRUE(form->ServerLog.LastLineVisible());
    AddBurst(150);
    EXPECT_EQ(form->ServerLog.LineCount(), 155) << "the lines are there at once; only painting waits";
    EXPECT_TRUE(RedrawDeferred(log));
    EXPECT_TRUE(PumpUntil([&] { return !RedrawDeferred(log); }));
    EXPECT_TRUE(form->ServerLog.LastLineVisible());
    EXPECT_EQ(form->ServerLog.Line(154), L"Add Item 149 ok");
    EXPECT_TRUE(PumpUntil([&] { return DarkPixels(log) > 200; })) << "the lines are on the screen";
}

TEST_F(TBurst, TheTreeIsLaidOutAndRedrawnOnceTheBurstIsOver)
{
    // As while no companion runs: the window minimised and hidden during the
    // burst, shown again afterwards.
    HWND tree = form->ClientTree.Handle();
    ShowWindow(form->Handle(), SW_MINIMIZE);
    ShowWindow(form->Handle(), SW_HIDE);
    AddBurst(60);
    EXPECT_TRUE(RedrawDeferred(tree));
    EXPECT_TRUE(PumpUntil([&] { return !RedrawDeferred(tree); }));
    ShowWindow(form->Handle(), SW_RESTORE);
    ShowWindow(form->Handle(), SW_SHOW);
    EXPECT_TRUE(PumpUntil([&] { return DarkPixels(tree) > 200; })) << "the node texts are on the screen";
    const HTREEITEM first = form->ClientTree.FirstChild(nullptr);
    const RECT top = NodeRect(tree, first);
    EXPECT_GT(top.bottom, top.top) << "the client node has its place at the top";
    EXPECT_EQ(top.top, 0);
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(tree, SB_VERT, &scroll)) << "62 expanded nodes need a scroll bar";
    EXPECT_GE(scroll.nMax - scroll.nMin + 1, 62) << "the scroll range covers every node";
}

}  // namespace
