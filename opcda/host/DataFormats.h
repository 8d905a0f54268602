// The clipboard formats of the DA 1.0 data-object streams, registered with
// the system by name; their numbers are valid on this machine only.
#pragma once
#include <windows.h>
#include <wtypes.h>  // CLIPFORMAT (not in windows.h with WIN32_LEAN_AND_MEAN)

// The registered IDs of "OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME" and
// "OPCSTMFORMATWRITECOMPLETE", in this order; the index is the DA 1.0
// advise connection number.
struct TOpcClipboardFormats {
    CLIPFORMAT Data = 0;
    CLIPFORMAT DataTime = 0;
    CLIPFORMAT WriteComplete = 0;

    CLIPFORMAT At(int index) const noexcept { return index == 0 ? Data : index == 1 ? DataTime : WriteComplete; }
    // The connection of a format, or -1 for none of the three.
    int IndexOf(CLIPFORMAT format) const noexcept
    {
        return format == Data ? 0 : format == DataTime ? 1 : format == WriteComplete ? 2 : -1;
    }
};

// Registers the three formats on first use, in their order. Raises
// EOpcServer("Could not register %s clip format") when the system refuses one.
const TOpcClipboardFormats& DataFormats();
