#include "ProxyFileList.h"

#include <rpcproxy.h>

void RPC_ENTRY GetProxyDllInfo(const ProxyFileInfo*** info, const CLSID** clsid);

unsigned ProxiedInterfaceInfos(TProxiedInterfaceInfo* infos, unsigned capacity)
{
    const ProxyFileInfo** files = NULL;
    const CLSID* clsid = NULL;
    unsigned count = 0;
    GetProxyDllInfo(&files, &clsid);
    for (; *files; ++files) {
        for (unsigned short i = 0; i < (*files)->TableSize; ++i, ++count) {
            if (count >= capacity) continue;
            infos[count].Iid = (*files)->pStubVtblList[i]->header.piid;
            infos[count].Name = (*files)->pNamesArray[i];
            infos[count].MethodCount = (*files)->pStubVtblList[i]->header.DispatchTableCount;
        }
    }
    return count;
}
