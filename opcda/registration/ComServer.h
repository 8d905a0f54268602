// The COM server of the process: its start mode, its class objects, the
// registry update at start and the end of a COM-started process after its
// last object.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "com/ComObject.h"
#include "registration/OpcServerFactory.h"
#include "registration/StartMode.h"

class TComServer {
public:
    static TComServer& Instance();

    TStartMode StartMode() const noexcept { return startMode_; }
    // The executable's file name without directory and extension.
    std::wstring ServerName() const;
    std::wstring ExePath() const;

    void AddFactory(ComPtr<TOpcServerFactory> factory);
    const std::vector<ComPtr<TOpcServerFactory>>& Factories() const noexcept { return factories_; }

    // COM start-up on the main thread: apartment, registry update and class
    // objects. Returns false when the process must end now (register or
    // unregister start). A registry failure raises only in register mode.
    bool Start();
    // Revokes the class objects and leaves COM.
    void Stop() noexcept;

    // Registers or unregisters every class and the interface proxies (the
    // 32-bit ones only in a register or unregister start).
    void UpdateRegistry(bool registerServer);

private:
    TComServer();
    void RegisterClassObjects();
    void OnLastObjectReleased();
    void RevokeClassObjects() noexcept;

    TStartMode startMode_;
    DWORD mainThreadId_ = 0;
    bool comInitialized_ = false;
    std::vector<ComPtr<TOpcServerFactory>> factories_;
    std::vector<DWORD> cookies_;
};
