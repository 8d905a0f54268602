// A small command-line OPC client, built for x64 (OpcClient.exe) and for x86
// (OpcClient32.exe), so that an installation can be checked from both kinds
// of client the plants run. It connects through COM and the registered
// proxies like any OPC client, runs one command and prints plain lines.
//
//   OpcClient [-progid PROGID] status       state, vendor text and version
//   OpcClient [-progid PROGID] browse       every item ID, one a line
//   OpcClient [-progid PROGID] read ID...   each item's value as "ID=value"
//
// Exit code 0 on success; otherwise the failing HRESULT is printed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "OpcConnection.h"

namespace {

using TArguments = std::vector<std::wstring>;
using TCommandFn = void (*)(TOpcConnection& server, const TArguments& args);

void Status(TOpcConnection& server, const TArguments&)
{
    const TOpcStatus status = server.Status();
    PrintLine(L"state=" + std::to_wstring(status.State));
    PrintLine(L"vendor=" + status.VendorInfo);
    PrintLine(L"version=" + std::to_wstring(status.Major) + L"." + std::to_wstring(status.Minor) + L"." +
              std::to_wstring(status.Build));
}

void Browse(TOpcConnection& server, const TArguments&)
{
    for (const auto& id : server.BrowseItemIds()) PrintLine(id);
}

void Read(TOpcConnection& server, const TArguments& ids)
{
    for (const auto& id : ids) PrintLine(id + L"=" + server.ReadValueProperty(id));
}

struct TCommand {
    const wchar_t* Name;
    size_t MinArguments;
    TCommandFn Run;
};

// One row per command; reads, writes and data changes through a group join here.
constexpr TCommand kCommands[] = {
    {L"status", 0, Status},
    {L"browse", 0, Browse},
    {L"read", 1, Read},
};

int Usage()
{
    PrintLine(L"usage: OpcClient [-progid PROGID] status | browse | read ITEMID...");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    TArguments args(argv + 1, argv + argc);
    std::wstring progId = L"srvZEV30.TZEV30";
    if (args.size() >= 2 && _wcsicmp(args[0].c_str(), L"-progid") == 0) {
        progId = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const TCommand* command = nullptr;
    for (const auto& c : kCommands)
        if (_wcsicmp(c.Name, args[0].c_str()) == 0) command = &c;
    args.erase(args.begin());
    if (!command || args.size() < command->MinArguments) return Usage();

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = 0;
    try {
        TOpcConnection server(progId);
        command->Run(server, args);
    } catch (const EClientCall& e) {
        wchar_t code[16];
        swprintf(code, 16, L"%08lX", static_cast<unsigned long>(e.Code));
        PrintLine(std::wstring(L"failed: ") + e.Call + L" 0x" + code);
        result = 1;
    }
    CoUninitialize();
    return result;
}
