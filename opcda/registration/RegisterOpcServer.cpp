#include "registration/RegisterOpcServer.h"

#include <cstdio>

#include "registration/ComServer.h"
#include "contract/ItemServer.h"
#include "contract/OpcError.h"
#include "com/TextUtil.h"

namespace {

TOpcClipboardFormats g_formats;

CLIPFORMAT RegisterFormat(const wchar_t* name)
{
    const UINT id = RegisterClipboardFormatW(name);
    if (id == 0) {
        char message[128];
        std::snprintf(message, sizeof message, "Could not register %s clip format", WideToAnsi(name).c_str());
        throw EOpcServer(message);
    }
    return static_cast<CLIPFORMAT>(id);
}

}  // namespace

const TOpcClipboardFormats& OpcClipboardFormats() noexcept { return g_formats; }

void RegisterOpcServer(const CLSID& classId, int version, const std::wstring& serverName,
                       const std::wstring& vendorName, TOpcItemServer& itemServer)
{
    g_formats.Data = RegisterFormat(L"OPCSTMFORMATDATA");
    g_formats.DataTime = RegisterFormat(L"OPCSTMFORMATDATATIME");
    g_formats.WriteComplete = RegisterFormat(L"OPCSTMFORMATWRITECOMPLETE");

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
