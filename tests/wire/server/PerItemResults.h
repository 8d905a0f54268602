// Calls on a list of items: item(i, result) fills the result of item i and
// returns its error. The arrays go to the caller when every item is done, and
// the call returns S_FALSE when any item failed. What item raises ends the
// call with nothing handed over (run them inside ComBoundary).
#pragma once
#include "OpcElementCleanup.h"  // the arrays hold OPC structures
#include <algorithm>

namespace wire {

template <class Item>
HRESULT PerItemErrors(size_t count, HRESULT** ppErrors, Item item) {
    TaskMemArray<HRESULT> errors(count);
    for (size_t i = 0; i < count; ++i) errors[i] = item(i);
    const bool allSucceeded = std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return SUCCEEDED(e); });
    *ppErrors = errors.release();
    return allSucceeded ? S_OK : S_FALSE;
}

template <class T, class Item>
HRESULT PerItemResults(size_t count, T** ppResults, HRESULT** ppErrors, Item item) {
    TaskMemArray<T> results(count);
    const HRESULT hr = PerItemErrors(count, ppErrors, [&](size_t i) { return item(i, results[i]); });
    *ppResults = results.release();
    return hr;
}

}  // namespace wire
