// What the controller writes in the user's regional formats: its clock as the
// server's trend reads it back, and the decimal separator of its numbers.
#pragma once
#include <string>

std::wstring ControllerDateTime();
wchar_t DecimalSeparator();
