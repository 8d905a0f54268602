#include "registration/StartMode.h"

#include <windows.h>
#include <shellapi.h>

namespace {

bool IsSwitch(const std::wstring& arg, const wchar_t* name)
{
    if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) return false;
    return lstrcmpiW(arg.c_str() + 1, name) == 0;
}

bool HasSwitch(const std::vector<std::wstring>& args, const wchar_t* name)
{
    for (const auto& a : args)
        if (IsSwitch(a, name)) return true;
    return false;
}

}  // namespace

TStartMode ParseStartMode(const std::vector<std::wstring>& args)
{
    if (HasSwitch(args, L"AUTOMATION") || HasSwitch(args, L"EMBEDDING")) return TStartMode::Automation;
    if (HasSwitch(args, L"REGSERVER")) return TStartMode::Register;
    if (HasSwitch(args, L"UNREGSERVER")) return TStartMode::Unregister;
    return TStartMode::Normal;
}

std::vector<std::wstring> ProgramArguments()
{
    std::vector<std::wstring> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}
