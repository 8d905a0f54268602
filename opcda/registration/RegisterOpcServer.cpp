#include "registration/RegisterOpcServer.h"

#include "registration/ComServer.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "host/DataFormats.h"

void RegisterOpcServer(const CLSID& classId, int version, const std::wstring& serverName,
                       const std::wstring& vendorName, TOpcItemServer& itemServer)
{
    DataFormats();

    itemServer.SetVendorInfo(vendorName + L" " + serverName);

    std::wstring classPart;
    itemServer.ProgIdClassPart(version, classPart);

    TComServer& com = TComServer::Instance();
    TServerClassInfo info;
    info.ClassId = classId;
    info.ProgId = com.ServerName() + L"." + classPart;
    info.Description = serverName;
    info.VendorName = vendorName;
    info.ExePath = com.ExePath();
    ComPtr<TOpcServerFactory> factory = AdoptRef(new TOpcServerFactory(std::move(info)));
    com.AddFactory(std::move(factory));
}
