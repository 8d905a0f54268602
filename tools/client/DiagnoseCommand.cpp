// diagnose: the registry checks, then whether the server starts and answers
// in time, and which process answered. wait: for a server started by hand.
#include "Activation.h"
#include "Commands.h"
#include "Diagnose.h"
#include "HResultText.h"
#include "ValueText.h"
#include "com/ModulePath.h"

namespace {

// The server executable to name in fixes when the registry names none that
// exists: the ProgID's first part is the executable's name, and the client
// ships beside the server.
std::wstring FallbackExe(const std::wstring& progId)
{
    const std::wstring exe = progId.substr(0, progId.find(L'.')) + L".exe";
    const std::wstring beside = ModuleFolder() + exe;
    return FileExists(beside) ? beside : exe;
}

TCheck CheckActivation(const TRegistrationFacts& facts, const std::wstring& fallbackExe, DWORD seconds)
{
    TCheck check{L"activation"};
    const std::wstring exe = facts.ServerExe.empty() ? fallbackExe : facts.ServerExe;
    if (!facts.ClassId) {
        check.Detail = L"not checked: no class ID";
        check.Fix = L"\"" + exe + L"\" /RegServer";
        return check;
    }
    const TActivation answer = ActivateServer(*facts.ClassId, seconds * 1000);
    if (answer.TimedOut) {
        check.Detail = L"the server did not answer GetStatus within " + std::to_wstring(seconds) + L" s";
        check.Fix = L"start \"" + exe + L"\" by hand to see whether it starts; end a hung " +
                    exe.substr(exe.find_last_of(L"\\/") + 1) + L" process";
        return check;
    }
    if (FAILED(answer.Result)) {
        check.Detail = L"activation failed: " + DescribeHResult(answer.Result);
        if (answer.Result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) && RunningUnderWine())
            check.Fix =
                L"a server process that was killed left its class registered in Wine's COM service: "
                L"WINEPREFIX=<prefix> wineserver -k";
        else
            check.Fix = L"start \"" + exe + L"\" by hand to see its error; then \"" + exe + L"\" /RegServer";
        return check;
    }
    check.Ok = true;
    check.Detail = L"GetStatus answered in " + std::to_wstring(answer.Milliseconds) + L" ms";
    if (!answer.Vendor.empty()) check.Detail += L" (" + answer.Vendor + L")";
    const TAnsweringProcess process = FindAnsweringProcess(exe, answer.StartTime);
    if (process.Id)
        check.Detail += L"; answered by process " + std::to_wstring(process.Id) + L" " + process.Path +
                        L", server started " + TimeStampText(answer.StartTime);
    else
        check.Detail += L"; the answering process is not among the " + std::to_wstring(process.Candidates) +
                        L" running " + exe.substr(exe.find_last_of(L"\\/") + 1) +
                        L" (it has ended, or another executable serves the class)";
    return check;
}

}  // namespace

int RunDiagnose(const TCommandLine& line, TReport& report)
{
    const std::wstring fallback = FallbackExe(line.ProgId);
    TRegistrationFacts facts;
    std::vector<TCheck> checks = CheckRegistration(TClassesRoot(HKEY_CLASSES_ROOT), line.ProgId, fallback, facts);
    checks.push_back(CheckActivation(facts, fallback, line.Seconds));

    size_t failed = 0;
    for (const auto& check : checks) {
        failed += check.Ok ? 0 : 1;
        if (report.Json()) {
            report.Add({TextField(L"check", check.Name), FlagField(L"ok", check.Ok), TextField(L"detail", check.Detail),
                        check.Fix.empty() ? AbsentField(L"fix") : TextField(L"fix", check.Fix)});
            continue;
        }
        report.Note((check.Ok ? L"OK    " : L"FAIL  ") + check.Name + L": " + check.Detail);
        if (!check.Fix.empty()) report.Note(L"      fix: " + check.Fix);
    }
    report.Note(failed == 0 ? L"All " + std::to_wstring(checks.size()) + L" checks hold."
                            : std::to_wstring(failed) + L" of " + std::to_wstring(checks.size()) + L" checks failed.");
    return failed == 0 ? kExitOk : kExitItemFailed;
}

int RunWait(const TCommandLine& line, TReport& report)
{
    // The server registers its class objects before it creates its main
    // window, so the window's presence means clients reach this process.
    const ULONGLONG deadline = GetTickCount64() + line.Seconds * 1000ull;
    for (;;) {
        if (HWND window = FindWindowW(L"TQuillmereZev30MainWindow", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            report.Properties({TextField(L"server", L"running"), NumberField(L"process", static_cast<long long>(pid))});
            return kExitOk;
        }
        if (GetTickCount64() >= deadline) break;
        Sleep(200);
    }
    throw EClientError{L"no server started by hand appeared within " + std::to_wstring(line.Seconds) + L" s"};
}
