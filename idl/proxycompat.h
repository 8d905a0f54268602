/* Force-included into the widl-generated proxy/stub sources of QuillmereOpcPS.dll.
 *
 * widl's compiled stubs (-Os) use RpcTryExcept/RpcTryFinally. Without
 * USE_COMPILER_EXCEPTIONS they need Wine's private exception frames, and with
 * it mingw's rpc.h maps them to __try, which GCC lacks. */
#pragma once

/* Lets the stubs store REFIID arguments: mingw's guiddef.h makes REFIID a
 * const pointer unless it is told that it is compiling a proxy. */
#define __WIDL_proxy 1

#include <rpc.h>
#include <rpcndr.h>
#include <unknwn.h>

#undef RpcTryExcept
#undef RpcExcept
#undef RpcEndExcept
#undef RpcTryFinally
#undef RpcFinally
#undef RpcEndFinally
#undef RpcExceptionCode
#undef RpcAbnormalTermination

#define RpcTryExcept            {
#define RpcExcept(expr)         } if (0) {
#define RpcEndExcept            }
#define RpcTryFinally           {
#define RpcFinally              }
#define RpcEndFinally
#define RpcExceptionCode()      0
#define RpcAbnormalTermination() 0

/* Exported by rpcrt4; mingw's unknwn.h declares them only for C++. */
#ifndef __cplusplus
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid, void **ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);
#endif
