// watch: subscribes to items and prints every data change until the time is
// up or the user presses Ctrl-C; then unsubscribes and removes its group.
#include <algorithm>
#include <atomic>

#include "Commands.h"
#include "HResultText.h"
#include "OpcConnection.h"
#include "ValueText.h"
#include "WatchSinks.h"

namespace {

std::atomic<bool> g_stop{false};
DWORD g_mainThread = 0;

BOOL WINAPI OnConsoleControl(DWORD) noexcept
{
    g_stop = true;
    PostThreadMessageW(g_mainThread, WM_NULL, 0, 0);  // wakes the message wait
    return TRUE;
}

// Dispatches messages (the callbacks arrive as messages of this apartment)
// until seconds have passed (0: until stopped) or Ctrl-C.
void PumpUntilStopped(DWORD seconds)
{
    const ULONGLONG deadline = seconds ? GetTickCount64() + seconds * 1000ull : ~0ull;
    while (!g_stop) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 1000)),
                                  QS_ALLINPUT);
    }
}

class TChangePrinter {
public:
    TChangePrinter(TReport& report, const TOpcConnection& connection, const std::vector<TAddedItem>& items)
        : report_(report), connection_(connection), items_(items)
    {
        size_t idWidth = 4;
        for (const auto& item : items) idWidth = std::max(idWidth, item.ItemId.size());
        widths_ = {23, idWidth, 20, 0};
    }

    void Print(const TWatchChange& change)
    {
        const size_t index = change.ClientHandle - 1;  // client handles are 1..n in order
        const std::wstring id =
            index < items_.size() ? items_[index].ItemId : L"client handle " + std::to_wstring(change.ClientHandle);
        ++count_;
        if (FAILED(change.Error)) {
            report_.Stream({TextField(L"timestamp", TimeStampText(change.TimeStamp)), TextField(L"item", id),
                            AbsentField(L"value"), TextField(L"quality", connection_.Describe(change.Error))},
                           widths_);
            return;
        }
        report_.Stream({TextField(L"timestamp", TimeStampText(change.TimeStamp)), TextField(L"item", id),
                        TextField(L"value", change.Value ? VariantText(*change.Value) : L""),
                        TextField(L"quality", QualityText(change.Quality))},
                       widths_);
    }
    size_t Count() const noexcept { return count_; }

private:
    TReport& report_;
    const TOpcConnection& connection_;
    const std::vector<TAddedItem>& items_;
    std::vector<size_t> widths_;
    size_t count_ = 0;
};

void WatchDa2(TOpcGroup& group, TChangePrinter& printer, DWORD seconds)
{
    auto container = group.As<IConnectionPointContainer>(L"IConnectionPointContainer");
    ComPtr<IConnectionPoint> point;
    const HRESULT found = container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf());
    if (FAILED(found))
        throw EClientError{L"the group has no IOPCDataCallback connection point: " + DescribeHResult(found)};
    auto sink = MakeComObject<TWatchCallback>([&](const TWatchChange& c) { printer.Print(c); });
    DWORD cookie = 0;
    const HRESULT advised = point->Advise(sink.Get(), &cookie);
    if (FAILED(advised))
        throw EClientError{L"subscribing (IConnectionPoint::Advise) failed: " + DescribeHResult(advised)};
    PumpUntilStopped(seconds);
    point->Unadvise(cookie);
}

void WatchDa1(TOpcGroup& group, TChangePrinter& printer, TReport& report, DWORD seconds)
{
    ComPtr<IDataObject> data;
    const HRESULT hr = group.TryAs(data);
    if (hr == E_NOINTERFACE)
        throw EClientError{
            L"the server does not offer DA 1.0 data advise: its groups answer E_NOINTERFACE for "
            L"IDataObject [0x80004002]. Watch without --da1 to use the DA 2.0 callback."};
    if (FAILED(hr)) throw EClientError{L"asking the group for IDataObject failed: " + DescribeHResult(hr)};

    const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"OPCSTMFORMATDATATIME"));
    auto sink = MakeComObject<TWatchAdviseSink>(
        format, true, [&](const TWatchChange& c) { printer.Print(c); },
        [&](const std::string& reason) {
            report.Note(L"a DA 1.0 data block could not be read: " + std::wstring(reason.begin(), reason.end()));
        });
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    DWORD connection = 0;
    const HRESULT advised = data->DAdvise(&request, ADVF_PRIMEFIRST, sink.Get(), &connection);
    if (FAILED(advised)) throw EClientError{L"IDataObject::DAdvise failed: " + DescribeHResult(advised)};
    PumpUntilStopped(seconds);
    data->DUnadvise(connection);
}

}  // namespace

int RunWatch(const TCommandLine& line, TReport& report)
{
    g_mainThread = GetCurrentThreadId();
    g_stop = false;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    TOpcConnection connection(line.ProgId);
    TOpcGroup group(connection, L"", true, line.RateMs);
    const std::vector<TAddedItem> items = group.AddItems(line.Operands);
    int exit = kExitOk;
    size_t watched = 0;
    for (const auto& item : items) {
        if (SUCCEEDED(item.Error)) {
            ++watched;
            continue;
        }
        exit = kExitItemFailed;
        report.Add({TextField(L"item", item.ItemId), TextField(L"error", connection.Describe(item.Error)),
                    TextField(L"code", HexCode(item.Error))});
    }
    report.Flush();
    if (watched == 0) return exit;
    if (group.RevisedRate() != line.RateMs)
        report.Note(L"the server revised the update rate to " + std::to_wstring(group.RevisedRate()) + L" ms");

    TChangePrinter printer(report, connection, items);
    if (line.Da1)
        WatchDa1(group, printer, report, line.Seconds);
    else
        WatchDa2(group, printer, line.Seconds);
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    report.Note(std::to_wstring(printer.Count()) + L" changes");
    return exit;
}
