// A second client process that subscribes to an item and then waits to be
// killed, for tests of a server whose client dies under it.
#pragma once

constexpr char kHoldCallbackSwitch[] = "--subscribe-and-wait";
constexpr wchar_t kHoldCallbackSwitchW[] = L"--subscribe-and-wait";
// Set by the client once its callback is connected and has had its first data change.
constexpr wchar_t kSubscribedEvent[] = L"QuillmereE2eSubscribed";
// The item it subscribes to.
constexpr wchar_t kSubscribedItem[] = L"String.Coating Plant Name";

// The second client's main: connect, subscribe, signal, pump until killed.
int RunSubscribedClient();
