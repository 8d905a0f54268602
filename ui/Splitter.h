// TSplitter: a vertical bar the user drags to share width between the
// controls on either side. The owner does the layout in OnDrag.
#pragma once
#include <functional>

#include "Window.h"

class TSplitter : public TWindow {
public:
    static constexpr int Width = 4;
    void CreateSplitter(HWND parent);

    std::function<void(int dx)> OnDrag;  // horizontal distance since the last call

protected:
    void OnPaint(HDC dc, const RECT& client) override;
    bool PaintsBuffered() const override { return true; }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool dragging_ = false;
    int lastX_ = 0;
};
