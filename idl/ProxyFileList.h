/* The interfaces in the proxy/stub DLL's generated proxy file list, for the
 * registration code: rpcproxy.h's structures are usable from C only. */
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TProxiedInterfaceInfo {
    const IID* Iid;
    const char* Name;
    unsigned MethodCount;
} TProxiedInterfaceInfo;

/* Fills up to capacity entries and returns how many interfaces there are. */
unsigned ProxiedInterfaceInfos(TProxiedInterfaceInfo* infos, unsigned capacity);

#ifdef __cplusplus
}
#endif
