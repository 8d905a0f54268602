// For tests of code that raises EOpcError.
#pragma once
#include <windows.h>

#include "contract/OpcError.h"

// The code of the EOpcError that action raised, or S_OK when it returned.
template <class Action>
HRESULT RaisedCode(Action&& action)
{
    try {
        action();
    } catch (const EOpcError& e) {
        return e.Code();
    }
    return S_OK;
}
