// The platform's colour dialog, opened with a colour and returning the one
// the user confirmed, if any. Custom colours made in it stay for the run.
#pragma once
#include <windows.h>

#include <optional>

std::optional<COLORREF> ChooseColorDialog(HWND owner, COLORREF initial);
