// The help texts of OpcClient.exe: an overview and one page per command.
#pragma once
#include "CommandLine.h"

// The overview for TCommand::Help, otherwise the command's own page.
const char* UsageText(TCommand topic);
