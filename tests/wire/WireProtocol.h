// What the wire test's client and its test server agree on: the class, the
// command line, the items and the server's one test-only call.
#pragma once
#include <windows.h>

namespace wire {

// {C449891E-9318-47AA-B93A-2FA2C1608E8B}
inline constexpr CLSID CLSID_WireTestServer = {
    0xc449891e, 0x9318, 0x47aa, {0xb9, 0x3a, 0x2f, 0xa2, 0xc1, 0x60, 0x8e, 0x8b}};

// Command-line switches of the test executable. COM appends -Embedding.
inline constexpr wchar_t kServerSwitch[] = L"--wire-server";          // <clsid>
inline constexpr wchar_t kSinkClientSwitch[] = L"--wire-sink-client";  // <clsid> <ready event>

// A server process holds this mutex (suffixed with its CLSID) for its whole
// life and releases it only after a clean shutdown: a waiting client sees
// WAIT_OBJECT_0 for a clean exit and WAIT_ABANDONED for a crash.
inline constexpr wchar_t kLifeMutexPrefix[] = L"Local\\QuillmereWireServer-";

// Items of the test server's flat address space.
inline constexpr wchar_t kItemCounter[] = L"Wire.Counter";  // VT_I4
inline constexpr wchar_t kItemText[] = L"Wire.Text";        // VT_BSTR
inline constexpr wchar_t kItemVector[] = L"Wire.Vector";    // VT_ARRAY | VT_R8
inline constexpr wchar_t kItemNames[] = L"Wire.Names";      // VT_ARRAY | VT_BSTR

// The items' first time stamps: 2020-01-01 00:00 UTC, then one second apart
// in table order.
inline constexpr ULONGLONG kFirstItemStamp = 0x01D5C03669F8C000ULL;
inline constexpr ULONGLONG kItemStampStep = 10000000ULL;

// Group update rates below this are revised up to it.
inline constexpr DWORD kMinUpdateRate = 50;

// Test-only: IOPCServer::GetErrorString with this code ends the server
// process in the middle of the call, as a crash would.
inline constexpr HRESULT kExitNowCode = static_cast<HRESULT>(0xE0DEAD01);

}  // namespace wire
