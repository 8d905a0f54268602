#include "UStartup.h"

#include "MainUnit.h"
#include "com/TextUtil.h"

std::string PackCommandLine(const std::vector<std::wstring>& args)
{
    std::string block;
    for (const auto& a : args) {
        block += WideToAnsi(a);
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

HWND FindExistingInstance(const wchar_t* windowClass)
{
    return FindWindowW(windowClass, nullptr);
}

bool SendCommandLine(HWND window, const std::vector<std::wstring>& args)
{
    std::string block = PackCommandLine(args);
    COPYDATASTRUCT data{};
    data.dwData = kCommandLineDataTag;
    data.cbData = static_cast<DWORD>(block.size());
    data.lpData = block.data();
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == 1;
}

bool ActivateExistingInstance(HWND window, const std::vector<std::wstring>& args)
{
    const bool accepted = args.empty() || SendCommandLine(window, args);
    if (!accepted) return false;
    SendMessageW(window, kMainWindowBringToFront, 0, 0);
    return true;
}

bool ShouldStart(const wchar_t* windowClass, const std::vector<std::wstring>& args)
{
    HWND existing = FindExistingInstance(windowClass);
    if (!existing) return true;
    return !ActivateExistingInstance(existing, args);
}
