// The OPCITEMRESULT of an item added or validated by a group.
#pragma once
#include <windows.h>

#include "opcda.h"

class TServerItemRef;

// Zero-fills result, then sets the canonical type and the access rights of
// item. The server handle is the group's to fill.
void FillItemResult(const TServerItemRef& item, OPCITEMRESULT& result) noexcept;
