#include "ServerLog.h"

#include "DeferredRedraw.h"

void TServerLog::AppendLines(const std::vector<std::wstring>& lines)
{
    if (lines.empty()) return;
    if (DeferRedraw(Handle(), [this] {
            if (follow_) ShowLastLine();
        }))
        follow_ = LastLineVisible();
    size_t first = 0;
    // Of a batch longer than what a full log keeps, only its end could stay.
    if (lines.size() >= static_cast<size_t>(KeptLines)) {
        first = lines.size() - static_cast<size_t>(KeptLines - 1);
        if (LineCount() > 0) KeepLast(0);
    }
    for (size_t i = first; i < lines.size(); ++i) Append(lines[i]);
}

void TServerLog::Append(const std::wstring& text)
{
    // Lines come in bursts (a client adding a hundred items): the log repaints
    // and scrolls once, after the burst, and follows the newest line when it
    // was in view before the burst began.
    if (DeferRedraw(Handle(), [this] {
            if (follow_) ShowLastLine();
        }))
        follow_ = LastLineVisible();
    if (LineCount() >= MaxLines) KeepLast(KeptLines - 1);
    AddLine(text);
}
