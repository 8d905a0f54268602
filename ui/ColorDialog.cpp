#include "ColorDialog.h"

#include <commdlg.h>

std::optional<COLORREF> ChooseColorDialog(HWND owner, COLORREF initial)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.rgbResult = initial;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return std::nullopt;
    return choose.rgbResult;
}
