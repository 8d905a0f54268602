// The test server process: registers its class object, runs the message loop
// of its single-threaded apartment and ends when the last object is gone.
#pragma once
#include <windows.h>

namespace wire {

// Runs the server for clsid until its last object is released.
int RunServerProcess(const CLSID& clsid);

}  // namespace wire
