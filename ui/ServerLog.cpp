#include "ServerLog.h"

void TServerLog::Append(const std::wstring& text)
{
    const bool follow = LastLineVisible();
    const int excess = LineCount() - MaxLines + 1;
    if (excess > 0) DeleteFirst(excess);
    AddLine(text);
    if (follow) ShowLastLine();
}
