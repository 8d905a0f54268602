// A second client process for the peer-failure test: it subscribes to data
// changes of the server of clsid, sets the named event after the first one
// arrived and then pumps messages until it is killed.
#pragma once
#include <windows.h>
#include <string>

namespace wire {

int RunSinkClient(const CLSID& clsid, const std::wstring& readyEvent);

}  // namespace wire
