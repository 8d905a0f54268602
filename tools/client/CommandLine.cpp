#include "CommandLine.h"

#include <cwchar>
#include <cwctype>

#include "com/TextUtil.h"

namespace {

struct TCommandInfo {
    TCommand Command;
    const wchar_t* Name;
    size_t MinOperands;
    size_t MaxOperands;
    // The options it takes beyond --progid, --json and --help.
    bool Device, Da1, Rate, Seconds;
    DWORD DefaultSeconds;
};

constexpr size_t kMany = ~size_t{0};

constexpr TCommandInfo kCommands[] = {
    {TCommand::Help, L"help", 0, 1, false, false, false, false, 0},
    {TCommand::Status, L"status", 0, 0, false, false, false, false, 0},
    {TCommand::Browse, L"browse", 0, 1, false, false, false, false, 0},
    {TCommand::Props, L"props", 1, 1, false, false, false, false, 0},
    {TCommand::Read, L"read", 1, kMany, true, false, false, false, 0},
    {TCommand::Write, L"write", 1, kMany, false, false, false, false, 0},
    {TCommand::Watch, L"watch", 1, kMany, false, true, true, true, 0},
    {TCommand::Diagnose, L"diagnose", 0, 0, false, false, false, true, 15},
    {TCommand::Wait, L"wait", 0, 0, false, false, false, true, 30},
};

std::string Narrow(const std::wstring& text) { return WideToAnsi(text); }

const TCommandInfo* FindCommand(const std::wstring& name)
{
    for (const auto& info : kCommands)
        if (SameTextI(name, info.Name)) return &info;
    return nullptr;
}

const TCommandInfo& InfoOf(TCommand command)
{
    for (const auto& info : kCommands)
        if (info.Command == command) return info;
    return kCommands[0];
}

bool IsHelpSwitch(const std::wstring& arg) { return arg == L"--help" || arg == L"-h" || arg == L"/?"; }

// A whole decimal number from min to max.
DWORD ParseNumber(const std::wstring& option, const std::wstring& text, DWORD min, DWORD max)
{
    bool digits = !text.empty() && text.size() <= 9;
    for (wchar_t c : text) digits = digits && std::iswdigit(c);
    const DWORD value = digits ? static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 10)) : 0;
    if (!digits || value < min || value > max)
        throw EUsage(Narrow(option) + " takes a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not \"" + Narrow(text) + "\"");
    return value;
}

}  // namespace

const wchar_t* CommandName(TCommand command) { return InfoOf(command).Name; }

TItemAssignment SplitAssignment(const std::wstring& operand)
{
    const size_t eq = operand.find(L'=');
    if (eq == std::wstring::npos || eq == 0) throw EUsage("write takes ITEM=VALUE, not \"" + Narrow(operand) + "\"");
    return {operand.substr(0, eq), operand.substr(eq + 1)};
}

TCommandLine ParseCommandLine(const std::vector<std::wstring>& args)
{
    TCommandLine line;
    if (args.empty()) return line;

    size_t next = 0;
    const TCommandInfo* info = nullptr;
    if (IsHelpSwitch(args[0])) {
        next = 1;  // "--help" alone, or before a command: that command's help
        if (next < args.size()) {
            info = FindCommand(args[next]);
            if (!info) throw EUsage("unknown command \"" + Narrow(args[next]) + "\"; try --help");
            line.HelpTopic = info->Command;
        }
        return line;
    }
    info = FindCommand(args[0]);
    if (!info) throw EUsage("unknown command \"" + Narrow(args[0]) + "\"; try --help");
    line.Command = info->Command;
    line.Seconds = info->DefaultSeconds;
    next = 1;

    bool help = false;
    bool operandsOnly = false;  // after "--" every argument is an operand, even "-x"
    for (size_t i = next; i < args.size(); ++i) {
        std::wstring arg = args[i];
        if (operandsOnly || arg.size() < 2 || arg[0] != L'-' || arg[1] != L'-') {
            if (!operandsOnly && IsHelpSwitch(arg)) {
                help = true;
                continue;
            }
            line.Operands.push_back(arg);
            continue;
        }
        if (arg == L"--") {
            operandsOnly = true;
            continue;
        }
        std::wstring value;
        bool hasValue = false;
        if (const size_t eq = arg.find(L'='); eq != std::wstring::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> std::wstring {
            if (hasValue) return value;
            if (i + 1 >= args.size()) throw EUsage(Narrow(arg) + " needs a value");
            return args[++i];
        };
        auto refuseValue = [&] {
            if (hasValue) throw EUsage(Narrow(arg) + " takes no value");
        };
        auto refuseHere = [&] {
            throw EUsage(Narrow(arg) + " does not apply to " + Narrow(info->Name) + "; try " + Narrow(info->Name) +
                         " --help");
        };

        if (arg == L"--help") {
            refuseValue();
            help = true;
        } else if (arg == L"--json") {
            refuseValue();
            line.Json = true;
        } else if (arg == L"--progid") {
            line.ProgId = takeValue();
            if (line.ProgId.empty()) throw EUsage("--progid needs a ProgID");
        } else if (arg == L"--device") {
            refuseValue();
            if (!info->Device) refuseHere();
            line.Device = true;
        } else if (arg == L"--da1") {
            refuseValue();
            if (!info->Da1) refuseHere();
            line.Da1 = true;
        } else if (arg == L"--rate") {
            if (!info->Rate) refuseHere();
            line.RateMs = ParseNumber(arg, takeValue(), 1, 3600000);
        } else if (arg == L"--seconds") {
            if (!info->Seconds) refuseHere();
            const DWORD min = info->Command == TCommand::Watch ? 0 : 1;
            line.Seconds = ParseNumber(arg, takeValue(), min, 86400);
        } else {
            throw EUsage("unknown option " + Narrow(arg) + "; try " + Narrow(info->Name) + " --help");
        }
    }

    if (line.Command == TCommand::Help) {
        if (!line.Operands.empty()) {
            const TCommandInfo* topic = FindCommand(line.Operands[0]);
            if (!topic) throw EUsage("unknown command \"" + Narrow(line.Operands[0]) + "\"; try --help");
            line.HelpTopic = topic->Command;
            line.Operands.clear();
        }
        return line;
    }
    if (help) {
        line.HelpTopic = line.Command;
        line.Command = TCommand::Help;
        line.Operands.clear();
        return line;
    }
    if (line.Operands.size() < info->MinOperands)
        throw EUsage(
            Narrow(info->Name) +
            (info->MinOperands == 1 && info->MaxOperands == 1 ? " needs one item ID" : " needs at least one item") +
            "; try " + Narrow(info->Name) + " --help");
    if (line.Operands.size() > info->MaxOperands)
        throw EUsage(Narrow(info->Name) + " takes " +
                     (info->MaxOperands == 0 ? std::string("no operands")
                                             : "at most " + std::to_string(info->MaxOperands) + " operand") +
                     ", not \"" + Narrow(line.Operands[info->MaxOperands]) + "\"");
    if (line.Command == TCommand::Write)
        for (const auto& operand : line.Operands) SplitAssignment(operand);
    return line;
}
