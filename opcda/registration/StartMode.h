// How the process was started, decided from its command line.
#pragma once
#include <string>
#include <vector>

enum class TStartMode {
    Normal,      // by hand: runs until its window is closed
    Automation,  // by COM (/Automation or /Embedding): ends with its last COM object
    Register,    // /RegServer: register, then end
    Unregister,  // /UnregServer: unregister, then end
};

// A switch is "-" or "/" followed by its name in any letter case, nothing more.
// When several are present the first row of Automation, Embedding, RegServer,
// UnregServer wins.
TStartMode ParseStartMode(const std::vector<std::wstring>& args);

// The program's arguments 1..n, without its own path.
std::vector<std::wstring> ProgramArguments();
