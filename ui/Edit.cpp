#include "Edit.h"

bool TEdit::OnCommand(UINT code)
{
    if (code != EN_CHANGE) return false;
    if (OnChange) OnChange();
    return true;
}
