// TFont: an owned GDI font given by face and character height in pixels.
#pragma once
#include <windows.h>

#include "GdiOwners.h"

class TFont {
public:
    TFont(const wchar_t* face, int pixelHeight, bool bold = false);
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    HFONT Handle() const noexcept { return font_.get(); }

private:
    TGdiFont font_;
};
