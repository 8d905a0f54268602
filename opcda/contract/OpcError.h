// Exceptions of the server core. EOpcError carries an HRESULT and is the only
// exception that COM methods turn into a return value; EOpcServer carries a
// message text for set-up and address-space construction faults.
#pragma once
#include <windows.h>
#include <stdexcept>
#include <string>

#include "opcerror.h"

class EOpcError : public std::exception {
public:
    explicit EOpcError(HRESULT code) noexcept : code_(code) {}
    HRESULT Code() const noexcept { return code_; }
    const char* what() const noexcept override { return "EOpcError"; }

private:
    HRESULT code_;
};

class EOpcServer : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Success codes never reach a client as success: they become E_FAIL.
inline HRESULT ExceptionToHResult(const EOpcError& e) noexcept
{
    return e.Code() < 0 ? e.Code() : E_FAIL;
}

// A value that cannot be converted to the type an operation needs. Item
// servers raise it from WriteItemValue when a written value makes no sense
// for the item; the core reports it to the client as OPC_E_BADTYPE.
class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void RaiseOpcError(HRESULT code) { throw EOpcError(code); }

// Failing HRESULTs of system calls travel on as EOpcError; success codes pass.
inline void RaiseIfFailed(HRESULT hr)
{
    if (FAILED(hr)) throw EOpcError(hr);
}
