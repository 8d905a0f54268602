// An IAdviseSink for DA 1.0 client tests: keeps the format and the bytes of
// every block it receives (in a deque: a block stays where it is while later
// ones arrive).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <deque>
#include <vector>

#include "com/ComObject.h"
#include "com/DataStreamReader.h"

struct TReceivedBlock {
    CLIPFORMAT format = 0;
    DWORD tymed = 0;
    std::vector<uint8_t> bytes;
};

class TAdviseSinkRecorder final : public TComObject<IAdviseSink> {
public:
    std::deque<TReceivedBlock> blocks;

    size_t Count(CLIPFORMAT format) const
    {
        size_t n = 0;
        for (const auto& b : blocks) n += b.format == format ? 1 : 0;
        return n;
    }
    const TReceivedBlock* Last(CLIPFORMAT format) const
    {
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
            if (it->format == format) return &*it;
        return nullptr;
    }

    void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) noexcept override
    {
        if (!format || !medium) return;
        try {
            TReceivedBlock block;
            block.format = format->cfFormat;
            block.tymed = medium->tymed;
            if (medium->tymed == TYMED_HGLOBAL) block.bytes = CopyGlobalBytes(medium->hGlobal);
            blocks.push_back(std::move(block));
        } catch (...) {
        }
    }
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) noexcept override {}
    void STDMETHODCALLTYPE OnRename(IMoniker*) noexcept override {}
    void STDMETHODCALLTYPE OnSave() noexcept override {}
    void STDMETHODCALLTYPE OnClose() noexcept override {}
};
