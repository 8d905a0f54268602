// The COM boundary of the core: the one place where exceptions become
// HRESULTs, and the small vocabulary every COM method uses around it.
//
//   STDMETHODIMP TFoo::Bar(DWORD count, HRESULT** errors) noexcept
//   {
//       ClearOutputs(errors);
//       RETURN_HR_IF_NULL(E_POINTER, errors);
//       return ComBoundary([&] {
//           TaskMemArray<HRESULT> result(count);   // freed if anything below raises
//           ...
//           *errors = result.release();            // handed over only on success
//       });
//   }
#pragma once
#include <windows.h>
#include <new>
#include <type_traits>

#include "com/ComOwners.h"
#include "contract/OpcError.h"

// Runs work and turns every exception into a return value: EOpcError as
// ExceptionToHResult (success codes become E_FAIL), std::bad_alloc as
// E_OUTOFMEMORY, anything else as E_FAIL. Nothing crosses COM. The result is
// the HRESULT that work returns, or S_OK when it returns nothing.
template <class Work>
HRESULT ComBoundary(Work&& work) noexcept
{
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
            work();
            return S_OK;
        } else {
            return static_cast<HRESULT>(work());
        }
    } catch (const EOpcError& e) {
        return ExceptionToHResult(e);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Sets every non-null out pointer to its empty value before any work is done.
template <class... T>
void ClearOutputs(T*... outputs) noexcept
{
    ((outputs != nullptr ? (void)(*outputs = T{}) : (void)0), ...);
}

#define RETURN_IF_FAILED(expr)                          \
    do {                                                \
        const HRESULT hr_returned_ = (expr);            \
        if (FAILED(hr_returned_)) return hr_returned_;  \
    } while (0)

#define RETURN_HR_IF(hr, condition)        \
    do {                                   \
        if (condition) return (hr);        \
    } while (0)

#define RETURN_HR_IF_NULL(hr, pointer)     \
    do {                                   \
        if ((pointer) == nullptr) return (hr); \
    } while (0)
