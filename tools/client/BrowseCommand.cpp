// browse: the item IDs of the address space, all of them or those that match a mask.
#include "Commands.h"
#include "HResultText.h"
#include "OpcConnection.h"

int RunBrowse(const TCommandLine& line, TReport& report)
{
    TOpcConnection connection(line.ProgId);
    auto browser = connection.As<IOPCBrowseServerAddressSpace>(L"IOPCBrowseServerAddressSpace");
    const std::wstring mask = line.Operands.empty() ? L"" : line.Operands[0];
    ComPtr<IEnumString> ids;
    // Flat browsing lists every leaf, whatever the server's organisation.
    const HRESULT hr = browser->BrowseOPCItemIDs(OPC_FLAT, mask.c_str(), VT_EMPTY, 0, ids.GetAddressOf());
    connection.Require(hr, L"BrowseOPCItemIDs");
    size_t count = 0;
    if (hr == S_OK && ids) {
        for (;;) {
            LPOLESTR batch[64] = {};
            ULONG fetched = 0;
            const HRESULT next = ids->Next(64, batch, &fetched);
            for (ULONG i = 0; i < fetched; ++i) {
                report.Add({TextField(L"item", batch[i] ? batch[i] : L"")});
                CoTaskMemFree(batch[i]);
            }
            count += fetched;
            if (next != S_OK || fetched == 0) break;
        }
    }
    report.Flush();
    report.Note(std::to_wstring(count) + (count == 1 ? L" item" : L" items") +
                (mask.empty() ? L"" : L" matching \"" + mask + L"\""));
    return kExitOk;
}
