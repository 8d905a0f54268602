#include "UpDown.h"

#include <commctrl.h>

#include <algorithm>

void TUpDown::CreateUpDown(HWND parent, bool horizontal, int min, int max)
{
    TControlCreateArgs args;
    args.Parent = parent;
    args.ClassName = UPDOWN_CLASSW;
    args.Style = horizontal ? UDS_HORZ : 0;
    Create(args);
    min_ = min;
    max_ = max;
    SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
    SetPosition(0);
}

int TUpDown::Position() const { return static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, 0)); }

void TUpDown::SetPosition(int position)
{
    SendMessageW(Handle(), UDM_SETPOS32, 0, static_cast<LPARAM>(std::clamp(position, min_, max_)));
}

bool TUpDown::OnNotify(NMHDR* hdr, LRESULT& result)
{
    if (hdr->code != UDN_DELTAPOS) return false;
    const auto* change = reinterpret_cast<NMUPDOWN*>(hdr);
    // The position moves here, between the two events, and the control is
    // told not to move it again: a handler may set it itself.
    if (OnChanging) OnChanging();
    const int position = std::clamp(change->iPos + change->iDelta, min_, max_);
    SetPosition(position);
    if (OnClick) OnClick(position);
    result = 1;
    return true;
}
