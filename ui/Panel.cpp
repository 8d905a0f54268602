#include "Panel.h"

void TPanel::CreatePanel(HWND parent, COLORREF color, DWORD exStyle)
{
    CreatePainted(parent, L"QuillmerePanel", color, false, WS_CLIPCHILDREN, exStyle | WS_EX_CONTROLPARENT);
}
