#include "WatchSinks.h"

#include <vector>

#include "com/DataStreamReader.h"

STDMETHODIMP TWatchCallback::OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD dwCount, OPCHANDLE* phClientItems,
                                          VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                          HRESULT* pErrors) noexcept
{
    if (dwCount && (!phClientItems || !pvValues || !pwQualities || !pftTimeStamps || !pErrors)) return E_INVALIDARG;
    try {
        for (DWORD i = 0; i < dwCount; ++i)
            handler_({phClientItems[i], &pvValues[i], pwQualities[i], pftTimeStamps[i], pErrors[i]});
    } catch (...) {
        // Nothing may cross back into the server; the next change prints again.
    }
    return S_OK;
}

STDMETHODIMP_(void) TWatchAdviseSink::OnDataChange(FORMATETC* format, STGMEDIUM* medium) noexcept
{
    if (!format || !medium || format->cfFormat != format_ || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal) return;
    const auto* block = static_cast<const BYTE*>(GlobalLock(medium->hGlobal));
    if (!block) return;
    try {
        const TDa1DataBlock data = ReadDa1DataBlock(block, GlobalSize(medium->hGlobal), withTimeStamps_);
        // Every value first: a block with one unreadable value prints nothing.
        std::vector<UniqueVariant> values;
        for (const auto& item : data.Items) values.push_back(ConvertDa1Value(item.Value));
        for (size_t i = 0; i < data.Items.size(); ++i) {
            const TDa1Item& item = data.Items[i];
            handler_({item.ClientHandle, &values[i].get(), item.Quality, item.TimeStamp(), S_OK});
        }
    } catch (const EBadDa1Block& e) {
        badBlock_(e.what());
    } catch (...) {
        badBlock_("the block could not be read");
    }
    GlobalUnlock(medium->hGlobal);
}
