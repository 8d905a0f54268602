// The end of a call on a list of items: the per-item arrays go to the caller,
// and the call returns S_FALSE when any item failed.
#pragma once
#include "ComOwners.h"
#include <algorithm>

namespace wire {

inline HRESULT HandOverErrors(TaskMemArray<HRESULT>& errors, HRESULT** ppErrors) {
    const bool allSucceeded = std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return SUCCEEDED(e); });
    *ppErrors = errors.release();
    return allSucceeded ? S_OK : S_FALSE;
}

template <class T>
HRESULT HandOverResults(TaskMemArray<T>& results, T** ppResults, TaskMemArray<HRESULT>& errors, HRESULT** ppErrors) {
    *ppResults = results.release();
    return HandOverErrors(errors, ppErrors);
}

}  // namespace wire
