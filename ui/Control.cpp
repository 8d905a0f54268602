#include "Control.h"

#include <stdexcept>
#include <unordered_map>

namespace {
constexpr wchar_t kControlProp[] = L"Quillmere.TControl";

// The object of each control, for the notifications that name only its handle.
// A window property would do, but under Wine reading one is a round trip to
// the window server, once per notification (a tree deleting a hundred nodes
// sends a hundred). The window runs on one thread, so no lock.
std::unordered_map<HWND, TControl*>& Controls()
{
    static std::unordered_map<HWND, TControl*> controls;
    return controls;
}
}  // namespace

TControl::~TControl()
{
    // The parent may have destroyed the control already; then the handle is not ours.
    if (const auto it = Controls().find(hwnd_); it != Controls().end() && it->second == this) Controls().erase(it);
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
    Controls()[hwnd_] = this;
    OnCreated();
}

TControl* TControl::FromHandle(HWND hwnd) noexcept
{
    const auto it = Controls().find(hwnd);
    return it == Controls().end() ? nullptr : it->second;
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
