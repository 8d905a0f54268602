// The window tests run in a child process of this one, for two reasons of
// the Wine test environment:
// - Under Xvfb there is no window manager, and Wine waits up to two seconds
//   for one whenever it hides or destroys a window that it leaves to a
//   manager. The tests run with this executable's windows unmanaged (Wine
//   draws their frames itself); Wine reads that option when a process starts.
// - A Wine session whose default desktop was started without a display (by a
//   command run in the prefix just before, outside the virtual display)
//   refuses every window for as long as it lives. A desktop of the tests' own
//   is started by the child itself, on the display the tests run on.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "com/ModulePath.h"
#include "com/RegistryKey.h"
#include "com/UniqueHandle.h"

namespace {

constexpr wchar_t kChildMarker[] = L"QUILLMERE_UI_TEST_CHILD";
constexpr wchar_t kTestDesktop[] = L"WinSta0\\QuillmereUiTests";

void EnsureUnmanagedWindows()
{
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + ModuleFileName() + L"\\X11 Driver";
    TRegistryKey k = TRegistryKey::Create(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
    if (!k) return;  // no such option here: the tests only run slower
    k.SetString(L"Managed", L"N");
}

DWORD RunChild()
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.lpDesktop = const_cast<wchar_t*>(kTestDesktop);
    TUniqueProcessInformation pi;
    std::wstring cmd = GetCommandLineW();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, pi.put())) return 1;
    WaitForSingleObject(pi.process(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.process(), &code);
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!GetEnvironmentVariableW(kChildMarker, nullptr, 0)) {
        EnsureUnmanagedWindows();
        SetEnvironmentVariableW(kChildMarker, L"1");
        return static_cast<int>(RunChild());
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
