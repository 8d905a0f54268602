// A second client process that subscribes and then stops answering the
// server: it hangs inside its OnDataChange, or stops pumping messages, until
// the test releases it; then it must receive the newest value.
#pragma once
#include <string>

constexpr char kHangInCallbackSwitch[] = "--hang-in-callback";
constexpr char kStopPumpingSwitch[] = "--stop-pumping";
// Set by the hung client once it hangs; set by the test to let it go on.
constexpr wchar_t kHungEvent[] = L"QuillmereE2eHung";
constexpr wchar_t kReleaseHungEvent[] = L"QuillmereE2eReleaseHung";
// The value the test writes last; released, the client waits for it.
constexpr wchar_t kNewestValue[] = L"newest after the hang";

// Exit codes: 0 the newest value arrived after the release, 2..7 set-up
// failures, 8 the newest value did not arrive.
int RunHungClient(bool hangInCallback);
