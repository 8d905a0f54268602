// TServerLog: the connection-event log of the server page. It holds at most
// MaxLines lines: when full, it drops the oldest half at once, so a server
// that runs for months does not grow the list without end, and a line added
// to a full log costs little more than one added to a short one.
#pragma once
#include <string>
#include <vector>

#include "ListBox.h"

class TServerLog : public TListBox {
public:
    static constexpr int MaxLines = 10000;
    static constexpr int KeptLines = MaxLines / 2;
    // Appends a line; while the newest line was in view, it stays in view.
    void Append(const std::wstring& text);
    // Appends lines in order, as Append would one by one; lines that the cap
    // would drop within the same call are never added.
    void AppendLines(const std::vector<std::wstring>& lines);

private:
    bool follow_ = true;  // of the burst being appended
};
