/* Force-included into the widl-generated proxy files of QuillmereOpcPS.dll:
 * the proxy vtables name rpcrt4's IUnknown proxies, which mingw-w64's
 * unknwn.h declares only for C++. */
#pragma once
#include <rpc.h>
#include <rpcndr.h>
#include <unknwn.h>

#ifndef __cplusplus
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid, void **ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);
#endif
