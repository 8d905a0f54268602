#include "ToolTip.h"

#include <commctrl.h>

TToolTip::~TToolTip()
{
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

void TToolTip::CreateToolTip(HWND owner)
{
    owner_ = owner;
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void TToolTip::AddTool(HWND control, const std::wstring& hint)
{
    if (!tip_) return;
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(hint.c_str());
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring TToolTip::HintOf(HWND control) const
{
    wchar_t buffer[256]{};
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = buffer;
    SendMessageW(tip_, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return buffer;
}
