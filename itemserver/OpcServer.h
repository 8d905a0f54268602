// The program's module that creates the one item server, TZEV30, and
// registers it with the server core for COM activation. It is initialised
// with the program's other modules, before the main sequence runs, and
// finalised after it.
#pragma once
#include <windows.h>

class TZEV30;

// The COM class of the server, srvZEV30.TZEV30.1.
extern const CLSID CLSID_ZEV30Server;
constexpr int ZevServerVersion = 1;
constexpr wchar_t ZevServerName[] = L"Quillmere ZEV-30 Server";
constexpr wchar_t ZevVendorName[] = L"Vornhalt";

// Constructs the TZEV30, which becomes the process's ItemServer(), and
// registers it. Raises what the construction and the registration raise
// (EOpcServer), leaving no item server behind.
void InitializeOpcServer();
// Destroys the item server (its window, item cache and client list).
void FinalizeOpcServer() noexcept;
// The item server between the two, otherwise null.
TZEV30* ZEV30() noexcept;
