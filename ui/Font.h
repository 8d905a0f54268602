// TFont: an owned GDI font given by face and character height in pixels.
#pragma once
#include <windows.h>

class TFont {
public:
    TFont(const wchar_t* face, int pixelHeight, bool bold = false);
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    HFONT Handle() const noexcept { return font_; }

private:
    HFONT font_;
};
