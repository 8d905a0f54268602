// A second client process for the peer-failure test: it subscribes to data
// changes of the server of clsid, sets the named event after the first one
// arrived and then pumps messages until it is killed.
#pragma once
#include <windows.h>
#include <string>

#include "com/UniqueHandle.h"

namespace wire {

// The sink client's side (this executable started with kSinkClientSwitch).
int RunSinkClient(const CLSID& clsid, const std::wstring& readyEvent);

// Starts a sink client and waits until its sink has received data; the
// process handle, or an empty one when it did not get that far.
TUniqueHandle StartSinkClient(const CLSID& clsid);

}  // namespace wire
