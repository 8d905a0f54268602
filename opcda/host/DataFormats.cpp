#include "host/DataFormats.h"

#include <cstdio>
#include <mutex>

#include "com/TextUtil.h"
#include "contract/OpcError.h"

namespace {

CLIPFORMAT RegisterFormat(const wchar_t* name)
{
    const UINT id = RegisterClipboardFormatW(name);
    if (id == 0) {
        char message[128];
        std::snprintf(message, sizeof message, "Could not register %s clip format", WideToAnsi(name).c_str());
        throw EOpcServer(message);
    }
    return static_cast<CLIPFORMAT>(id);
}

}  // namespace

const TOpcClipboardFormats& DataFormats()
{
    static std::mutex lock;
    static TOpcClipboardFormats formats;
    std::lock_guard guard(lock);
    if (formats.Data == 0) {
        TOpcClipboardFormats fresh;
        fresh.Data = RegisterFormat(L"OPCSTMFORMATDATA");
        fresh.DataTime = RegisterFormat(L"OPCSTMFORMATDATATIME");
        fresh.WriteComplete = RegisterFormat(L"OPCSTMFORMATWRITECOMPLETE");
        formats = fresh;
    }
    return formats;
}
