// TServerLog: the connection-event log of the server page. It keeps the
// newest MaxLines lines and drops the oldest ones, so a server that runs for
// months does not grow the list without end.
#pragma once
#include "ListBox.h"

class TServerLog : public TListBox {
public:
    static constexpr int MaxLines = 10000;
    // Appends a line; while the newest line was in view, it stays in view.
    void Append(const std::wstring& text);

private:
    bool follow_ = true;  // of the burst being appended
};
