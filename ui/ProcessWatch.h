// Looks for a running process by a part of its executable name.
#pragma once
#include <string>

// True when the executable name of any running process contains `name`,
// without regard to letter case. A failed process snapshot counts as false.
bool IsProcessRunning(const std::wstring& name);
