// The frame of a call on a list of items: item(i, ...) does item i and
// returns its error. The arrays go to the caller only when every item is
// done; the call returns S_FALSE when any item failed. What item raises ends
// the call with nothing handed over (run inside ComBoundary).
#pragma once
#include <windows.h>

#include <algorithm>

#include "com/OpcElementCleanup.h"  // the result arrays hold OPC structures
#include "com/ComOwners.h"

// item(i) -> HRESULT; the errors go to *ppErrors.
template <class Item>
HRESULT PerItemErrors(size_t count, HRESULT** ppErrors, Item item)
{
    TaskMemArray<HRESULT> errors(count);
    for (size_t i = 0; i < count; ++i) errors[i] = item(i);
    const bool allSucceeded = std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return SUCCEEDED(e); });
    *ppErrors = errors.release();
    return allSucceeded ? S_OK : S_FALSE;
}

// item(i, result) -> HRESULT fills results[i]; results and errors go to the caller together.
template <class T, class Item>
HRESULT PerItemResults(size_t count, T** ppResults, HRESULT** ppErrors, Item item)
{
    TaskMemArray<T> results(count);
    TaskMemArray<HRESULT> errors(count);
    for (size_t i = 0; i < count; ++i) errors[i] = item(i, results[i]);
    const bool allSucceeded = std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return SUCCEEDED(e); });
    *ppResults = results.release();
    *ppErrors = errors.release();
    return allSucceeded ? S_OK : S_FALSE;
}
