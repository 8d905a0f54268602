// OpcClient.exe: a command-line OPC DA client (see Usage.cpp for what it does).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "HResultText.h"
#include "Report.h"
#include "Usage.h"

namespace {

void Fail(const std::wstring& message)
{
    const std::string text = "OpcClient: " + WideToUtf8(message) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

int Run(const TCommandLine& line)
{
    TReport report(line.Json);
    switch (line.Command) {
    case TCommand::Help:
        std::fputs(UsageText(line.HelpTopic), stdout);
        return kExitOk;
    case TCommand::Status:
        return RunStatus(line, report);
    case TCommand::Browse:
        return RunBrowse(line, report);
    case TCommand::Props:
        return RunProps(line, report);
    case TCommand::Read:
        return RunRead(line, report);
    case TCommand::Write:
        return RunWrite(line, report);
    case TCommand::Watch:
        return RunWatch(line, report);
    case TCommand::Diagnose:
        return RunDiagnose(line, report);
    case TCommand::Wait:
        return RunWait(line, report);
    }
    return kExitUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    TCommandLine line;
    try {
        line = ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const EUsage& e) {
        const std::string text = std::string("OpcClient: ") + e.what() + "\n";
        std::fputs(text.c_str(), stderr);
        return kExitUsage;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        Fail(L"COM could not be initialised");
        return kExitUsage;
    }
    int exit = kExitUsage;
    try {
        exit = Run(line);
    } catch (const EClientError& e) {
        Fail(e.Message);
    } catch (const std::exception& e) {
        Fail(std::wstring(L"unexpected failure: ") + std::wstring(e.what(), e.what() + std::strlen(e.what())));
    }
    std::fflush(stdout);
    CoUninitialize();
    return exit;
}
