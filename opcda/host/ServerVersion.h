// The version of the running executable, from its version resource.
#pragma once
#include <windows.h>

struct TServerVersion {
    WORD Major = 0;
    WORD Minor = 0;
    WORD Build = 0;
};

// Major and minor from the most significant file version word, the build from
// the low half of the least significant one; zeros without a version resource.
TServerVersion RunningServerVersion() noexcept;
