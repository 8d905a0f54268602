// The commands of OpcClient.exe. Each returns the exit status; connection
// and call failures outside the per-item results raise EClientError.
#pragma once
#include "CommandLine.h"
#include "Report.h"

constexpr int kExitOk = 0;
constexpr int kExitItemFailed = 1;  // an item or a check failed
constexpr int kExitUsage = 2;       // usage or connection error

int RunStatus(const TCommandLine& line, TReport& report);
int RunBrowse(const TCommandLine& line, TReport& report);
int RunProps(const TCommandLine& line, TReport& report);
int RunRead(const TCommandLine& line, TReport& report);
int RunWrite(const TCommandLine& line, TReport& report);
int RunWatch(const TCommandLine& line, TReport& report);
int RunDiagnose(const TCommandLine& line, TReport& report);
int RunWait(const TCommandLine& line, TReport& report);
