#include "Font.h"

#include <cwchar>

TFont::TFont(const wchar_t* face, int pixelHeight, bool bold)
{
    LOGFONTW lf{};
    lf.lfHeight = -pixelHeight;  // negative: the character height, without internal leading
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    font_.reset(CreateFontIndirectW(&lf));
}
