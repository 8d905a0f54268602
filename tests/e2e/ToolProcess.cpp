#include "ToolProcess.h"

#include <sstream>

#include "ServerProcess.h"
#include "com/UniqueHandle.h"

TToolRun RunTool(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs)
{
    TToolRun run;
    wchar_t dir[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"tool", 0, file);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    TUniqueFileHandle out(
        CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr));
    if (!out) return run;
    const std::wstring path = BesideTest(exe);
    std::wstring command = L"\"" + path + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out.get();
    si.hStdError = out.get();
    TUniqueProcessInformation pi;
    const BOOL started =
        CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, pi.put());
    out.reset();  // the tool holds its own copy
    if (started) {
        if (WaitForSingleObject(pi.process(), timeoutMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(pi.process(), &run.ExitCode);
        } else {
            TerminateProcess(pi.process(), 99);
            WaitForSingleObject(pi.process(), 5000);
        }
        pi.reset();
    }
    if (const TUniqueFileHandle in{
            CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)}) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(in.get(), buffer, sizeof buffer, &read, nullptr) && read) run.Output.append(buffer, read);
    }
    DeleteFileW(file);
    return run;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string JsonField(const std::string& output, const std::string& key, const std::string& name,
                      const std::string& field)
{
    // The client writes flat objects of strings, numbers, true, false and null.
    std::istringstream lines(output);
    std::string line;
    const std::string tag = "\"" + key + "\":\"" + name + "\"";
    while (std::getline(lines, line)) {
        if (!Contains(line, tag)) continue;
        const std::string start = "\"" + field + "\":";
        size_t at = line.find(start);
        if (at == std::string::npos) return {};
        at += start.size();
        if (line[at] != '"') return line.substr(at, line.find_first_of(",}", at) - at);
        std::string value;
        for (size_t i = at + 1; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) ++i;
            value += line[i];
        }
        return value;
    }
    return {};
}
