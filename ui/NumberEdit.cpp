#include "NumberEdit.h"

#include <commctrl.h>

#include <cmath>

#include "ConvertError.h"
#include "NumberPicture.h"
#include "NumberText.h"

namespace {
constexpr TNumberPicture kFixed = TNumberPicture::Parse("0.00");
constexpr TNumberPicture kScientific = TNumberPicture::Parse("0.00E+00");
}  // namespace

void TNumberEdit::CreateNumberEdit(HWND parent, double lowerBound)
{
    lowerBound_ = lowerBound;
    TControlCreateArgs args;
    args.Parent = parent;
    args.ClassName = WC_EDITW;
    args.Style = ES_AUTOHSCROLL | ES_RIGHT | WS_TABSTOP;
    args.ExStyle = WS_EX_CLIENTEDGE;
    Create(args);
    Show();
}

void TNumberEdit::OnCreated()
{
    SetWindowSubclass(Handle(), &TNumberEdit::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TNumberEdit::SetValue(double value, bool scientific)
{
    value_ = value;
    scientific_ = scientific;
    Show();
}

void TNumberEdit::Show()
{
    if (Handle()) SetText(FormatNumberPicture(value_, scientific_ ? kScientific : kFixed));
}

bool TNumberEdit::ReadText(double& value) const
{
    try {
        value = TextToNumber(Text());
        return std::isfinite(value);
    } catch (const EConvertError&) {
        return false;
    }
}

void TNumberEdit::Commit()
{
    double value = 0;
    if (!ReadText(value) || value < lowerBound_) {
        Show();
        return;
    }
    if (value == value_) {
        Show();
        return;
    }
    value_ = value;
    if (OnValueChanged) OnValueChanged(value);
    Show();
}

bool TNumberEdit::OnCommand(UINT code)
{
    switch (code) {
    case EN_SETFOCUS:
        if (OnEnter) OnEnter();
        return true;
    case EN_KILLFOCUS:
        Commit();
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK TNumberEdit::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data)
{
    auto* self = reinterpret_cast<TNumberEdit*>(data);
    switch (msg) {
    case WM_KEYDOWN:
        if (wp == VK_RETURN) self->Commit();
        break;
    case WM_CHAR:
        if (wp == L'\r') return 0;  // no beep for Enter in a one-line field
        break;
    case WM_KEYUP:
        if (self->OnKeyUp) self->OnKeyUp(static_cast<UINT>(wp));
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TNumberEdit::SubclassProc, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}
