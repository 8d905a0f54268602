// Companion simulator: connects to the server as the process software does,
// writes a made-up deposition run into its items once a second and follows
// the remote START, RESET and STOP flags that other clients write.
//
//   SimQuillmere [--seconds N] [--rate MS] [--progid ID]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControllerClock.h"
#include "HResultText.h"
#include "OpcConnection.h"
#include "ProcessModel.h"
#include "Report.h"
#include "WatchSinks.h"
#include "com/ComBoundary.h"
#include "com/ComOwners.h"
#include "com/OpcElementCleanup.h"
#include "opcda.h"

namespace {

constexpr char kUsage[] =
    "Usage: SimQuillmere [--seconds N] [--rate MS] [--progid ID]\n"
    "Plays a deposition run into the server's items and follows the remote\n"
    "START, RESET and STOP flags. Runs until Ctrl-C (or WM_QUIT posted to\n"
    "its thread), or for N seconds.\n";

std::atomic<bool> g_stop{false};
DWORD g_mainThread = 0;

BOOL WINAPI OnConsoleControl(DWORD) noexcept
{
    g_stop = true;
    PostThreadMessageW(g_mainThread, WM_NULL, 0, 0);
    return TRUE;
}

void Say(const std::wstring& text)
{
    const std::string line = "SimQuillmere: " + WideToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

struct TOptions {
    DWORD Seconds = 0;  // 0: until stopped
    DWORD RateMs = 1000;
    std::wstring ProgId = L"srvZEV30.TZEV30.1";
};

bool ParseOptions(int argc, wchar_t** argv, TOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--seconds" && hasValue) {
            options.Seconds = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else if (arg == L"--rate" && hasValue) {
            options.RateMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
            if (options.RateMs < 20) return false;
        } else if (arg == L"--progid" && hasValue) {
            options.ProgId = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

// Dispatches messages for ms milliseconds or until stopped.
void PumpFor(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    while (!g_stop) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) g_stop = true;  // what a script without a console can send
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

enum class TRemote { Start, Reset, Stop };
constexpr const wchar_t* kRemoteFlags[] = {L"Flag.Remote START", L"Flag.Remote RESET", L"Flag.Remote STOP"};

// Notes which remote flags were set; client handles are the TRemote values + 1.
class TRemoteFlagSink final : public TDataChangeSink {
public:
    std::vector<TRemote> Pending;

    STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE* clients, VARIANT* values,
                              WORD*, FILETIME*, HRESULT* errors) noexcept override
    {
        if (count && (!clients || !values || !errors)) return E_INVALIDARG;
        return ComBoundary([&] {
            for (DWORD i = 0; i < count; ++i) {
                if (FAILED(errors[i]) || clients[i] < 1 || clients[i] > 3 || V_VT(&values[i]) != VT_BSTR) continue;
                const std::wstring text(V_BSTR(&values[i]), SysStringLen(V_BSTR(&values[i])));
                if (IsFlagSet(text)) Pending.push_back(static_cast<TRemote>(clients[i] - 1));
            }
        });
    }
};

// One session with the server: the group the run is written through and the
// subscription to the remote flags. Everything is released at its end.
class TSession {
public:
    explicit TSession(const std::wstring& progId)
        : connection_(progId, L"Quillmere process simulator"),
          output_(connection_, L"Process", false, 1000),
          remote_(connection_, L"Remote commands", true, 100)
    {
        std::vector<std::wstring> ids;
        for (const auto& v : TProcessModel().Values(L"")) ids.push_back(v.ItemId);
        for (const auto& id : TProcessModel::InputItemIds()) ids.push_back(id);
        for (const auto& item : output_.AddItems(ids)) {
            if (FAILED(item.Error))
                Say(L"the server refused " + item.ItemId + L": " + connection_.Describe(item.Error));
            handles_[item.ItemId] = item.Server;
        }
        io_ = output_.As<IOPCSyncIO>(L"IOPCSyncIO");
        FillEmptyInputs();

        remote_.AddItems({std::begin(kRemoteFlags), std::end(kRemoteFlags)});
        auto container = remote_.As<IConnectionPointContainer>(L"IConnectionPointContainer");
        connection_.Require(container->FindConnectionPoint(IID_IOPCDataCallback, point_.GetAddressOf()),
                            L"FindConnectionPoint");
        sink_ = MakeComObject<TRemoteFlagSink>();
        connection_.Require(point_->Advise(sink_.Get(), &cookie_), L"subscribing to the remote flags");
    }
    ~TSession()
    {
        if (point_) point_->Unadvise(cookie_);
    }

    std::vector<TRemote> TakeCommands() { return std::exchange(sink_->Pending, {}); }

    // Writes the values whose text differs from what this session wrote
    // last; false when the server has gone.
    bool WriteChanged(const std::vector<TSimulatedValue>& values)
    {
        std::vector<OPCHANDLE> handles;
        std::vector<UniqueVariant> owned;
        std::vector<const TSimulatedValue*> sent;
        for (const auto& v : values) {
            const auto handle = handles_.find(v.ItemId);
            if (handle == handles_.end() || handle->second == 0) continue;
            auto last = written_.find(v.ItemId);
            if (last != written_.end() && last->second == v.Text) continue;
            UniqueVariant value;
            V_VT(value.put()) = VT_BSTR;
            V_BSTR(&value.get()) = UniqueBstr(v.Text).release();
            owned.push_back(std::move(value));
            handles.push_back(handle->second);
            sent.push_back(&v);
        }
        if (handles.empty()) return true;
        std::vector<VARIANT> shallow;
        for (auto& v : owned) shallow.push_back(v.get());
        TaskMemArray<HRESULT> errors;
        const HRESULT hr =
            io_->Write(static_cast<DWORD>(handles.size()), handles.data(), shallow.data(), errors.put(handles.size()));
        if (FAILED(hr)) {
            Say(L"writing failed: " + DescribeHResult(hr));
            return false;
        }
        for (size_t i = 0; i < sent.size(); ++i)
            if (errors.get() && SUCCEEDED(errors[i])) written_[sent[i]->ItemId] = sent[i]->Text;
        return true;
    }

    // Puts the flag back to "0", so the next command is a change again.
    void Acknowledge(TRemote command)
    {
        const std::wstring flag = kRemoteFlags[static_cast<int>(command)];
        written_.erase(flag);  // the client's "1" replaced what this session wrote
        WriteChanged({{flag, L"0"}});
    }

private:
    void FillEmptyInputs()
    {
        const auto& inputs = TProcessModel::InputItemIds();
        std::vector<OPCHANDLE> handles;
        for (const auto& id : inputs) handles.push_back(handles_[id]);
        TaskMemArray<OPCITEMSTATE> states;
        TaskMemArray<HRESULT> errors;
        if (FAILED(io_->Read(OPC_DS_DEVICE, static_cast<DWORD>(handles.size()), handles.data(),
                             states.put(handles.size()), errors.put(handles.size()))))
            return;
        std::vector<TSimulatedValue> empty;
        for (size_t i = 0; i < inputs.size(); ++i) {
            const VARIANT& v = states[i].vDataValue;
            if (SUCCEEDED(errors[i]) && V_VT(&v) == VT_BSTR && SysStringLen(V_BSTR(&v)) == 0)
                empty.push_back({inputs[i], L"0"});
        }
        WriteChanged(empty);
    }

    TOpcConnection connection_;
    TOpcGroup output_;
    TOpcGroup remote_;
    ComPtr<IOPCSyncIO> io_;
    ComPtr<IConnectionPoint> point_;
    ComPtr<TRemoteFlagSink> sink_;
    DWORD cookie_ = 0;
    std::map<std::wstring, OPCHANDLE> handles_;
    std::map<std::wstring, std::wstring> written_;
};

void Obey(TProcessModel& model, TRemote command)
{
    switch (command) {
    case TRemote::Start:
        model.Start();
        Say(L"remote START: running, layer " + std::to_wstring(model.Layer()));
        break;
    case TRemote::Stop:
        model.Stop();
        Say(L"remote STOP: stopped in layer " + std::to_wstring(model.Layer()));
        break;
    case TRemote::Reset:
        model.Reset();
        Say(L"remote RESET: idle at layer 1");
        break;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    g_mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    const ULONGLONG end = options.Seconds ? GetTickCount64() + options.Seconds * 1000ull : ~0ull;
    TProcessModel model(DecimalSeparator(), GetTickCount());
    model.Start();
    while (!g_stop && GetTickCount64() < end) {
        std::unique_ptr<TSession> session;
        try {
            session = std::make_unique<TSession>(options.ProgId);
        } catch (const EClientError& e) {
            Say(e.Message + L"; trying again");
            PumpFor(2000);
            continue;
        }
        Say(L"connected; playing run sheet, layer " + std::to_wstring(model.Layer()));
        ULONGLONG last = GetTickCount64();
        bool connected = true;
        while (connected && !g_stop && GetTickCount64() < end) {
            for (TRemote command : session->TakeCommands()) {
                Obey(model, command);
                session->Acknowledge(command);
            }
            const ULONGLONG now = GetTickCount64();
            model.Advance((now - last) / 1000.0);
            last = now;
            connected = session->WriteChanged(model.Values(ControllerDateTime()));
            PumpFor(options.RateMs);
        }
        session.reset();
        if (!connected) Say(L"lost the server; reconnecting");
    }
    Say(L"done");
    CoUninitialize();
    return 0;
}
