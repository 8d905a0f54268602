// Activating a server under a time limit and telling which process answered.
#pragma once
#include <windows.h>

#include <string>

struct TActivation {
    HRESULT Result = E_FAIL;  // of CoCreateInstance, then of GetStatus
    bool TimedOut = false;
    DWORD Milliseconds = 0;  // until GetStatus answered
    FILETIME StartTime{};    // the server's start time from GetStatus
    std::wstring Vendor;
};

// Creates the server object on a worker thread of its own, asks GetStatus
// and releases everything; gives up waiting after timeoutMs (the worker is
// then left to finish or hang on its own).
TActivation ActivateServer(const CLSID& clsid, DWORD timeoutMs);

struct TAnsweringProcess {
    DWORD Id = 0;
    std::wstring Path;
    size_t Candidates = 0;  // running processes of that executable name
};

// The running process of the executable's file name whose creation is the
// last one before the server's start time (the server stamps its start while
// it starts up); Id 0 when none fits.
TAnsweringProcess FindAnsweringProcess(const std::wstring& exePath, const FILETIME& serverStart);

// True when this program runs under Wine.
bool RunningUnderWine();
