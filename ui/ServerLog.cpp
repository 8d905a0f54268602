#include "ServerLog.h"

#include "DeferredRedraw.h"

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
