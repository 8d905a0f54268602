#include "Control.h"

#include <stdexcept>

namespace {
constexpr wchar_t kControlProp[] = L"Quillmere.TControl";
}

TControl::~TControl()
{
    // The parent may have destroyed the control already; then the handle is not ours.
    if (hwnd_ && IsWindow(hwnd_) && GetPropW(hwnd_, kControlProp) == this) {
        RemovePropW(hwnd_, kControlProp);
        DestroyWindow(hwnd_);
    }
}

void TControl::Create(const TControlCreateArgs& args)
{
    const RECT& b = args.Bounds;
    hwnd_ = CreateWindowExW(args.ExStyle, args.ClassName, args.Text.c_str(),
                            WS_CHILD | (args.Hidden ? 0 : WS_VISIBLE) | args.Style, b.left, b.top, b.right - b.left,
                            b.bottom - b.top, args.Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.Id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) throw std::runtime_error("control creation failed");
    SetPropW(hwnd_, kControlProp, this);
    OnCreated();
}

TControl* TControl::FromHandle(HWND hwnd) noexcept
{
    return hwnd ? static_cast<TControl*>(GetPropW(hwnd, kControlProp)) : nullptr;
}

void TControl::SetBounds(int x, int y, int width, int height)
{
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TControl::Focus() { SetFocus(hwnd_); }

std::wstring TControl::Text() const
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)), L'\0');
    if (!text.empty())
        text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()) + 1)));
    return text;
}

void TControl::SetText(const std::wstring& text)
{
    if (Text() != text) SetWindowTextW(hwnd_, text.c_str());
}

void TControl::SetEnabled(bool enabled)
{
    if (hwnd_ && (IsWindowEnabled(hwnd_) != FALSE) != enabled) EnableWindow(hwnd_, enabled);
}

bool TControl::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void TControl::SetVisible(bool visible)
{
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
