// The command line of OpcClient.exe: one command, its operands and options.
// Parsing knows nothing of COM, so every usage error is found before the
// client connects.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

constexpr wchar_t kDefaultProgId[] = L"srvZEV30.TZEV30.1";

enum class TCommand { Help, Status, Browse, Props, Read, Write, Watch, Diagnose, Wait };

struct TCommandLine {
    TCommand Command = TCommand::Help;
    // The command that --help or "help NAME" asks about; Help for the overview.
    TCommand HelpTopic = TCommand::Help;
    std::vector<std::wstring> Operands;  // item IDs, ITEM=VALUE pairs or the browse mask
    std::wstring ProgId = kDefaultProgId;
    bool Json = false;
    bool Device = false;  // read: from the device instead of the cache
    bool Da1 = false;     // watch: through the DA 1.0 data advise
    DWORD RateMs = 1000;  // watch: requested update rate
    DWORD Seconds = 0;    // watch: how long; 0 until stopped. diagnose, wait: the time limit
};

// A command line that cannot be run; the message says what is wrong.
class EUsage : public std::runtime_error {
public:
    explicit EUsage(const std::string& message) : std::runtime_error(message) {}
};

// Parses the arguments after the program name. Raises EUsage.
TCommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// One ITEM=VALUE operand of write, split at its first "=". Raises EUsage.
struct TItemAssignment {
    std::wstring ItemId;
    std::wstring Value;
};
TItemAssignment SplitAssignment(const std::wstring& operand);

// The name a command is typed as.
const wchar_t* CommandName(TCommand command);
