// What the project's proxy/stub DLL registers: its own class and the OPC
// interfaces it marshals.
#pragma once
#include <windows.h>

#include "opcda.h"

// The proxy/stub factory's class ID, in registry text form.
constexpr wchar_t kProxyClassId[] = L"{71E208FE-B883-407B-896F-84B87C4F07C4}";

inline const IID* const kProxiedInterfaces[] = {&IID_IOPCServer,
                                                &IID_IOPCServerPublicGroups,
                                                &IID_IOPCBrowseServerAddressSpace,
                                                &IID_IOPCGroupStateMgt,
                                                &IID_IOPCPublicGroupStateMgt,
                                                &IID_IOPCSyncIO,
                                                &IID_IOPCAsyncIO,
                                                &IID_IOPCItemMgt,
                                                &IID_IEnumOPCItemAttributes,
                                                &IID_IOPCDataCallback,
                                                &IID_IOPCAsyncIO2,
                                                &IID_IOPCItemProperties,
                                                &IID_IOPCShutdown,
                                                &IID_IOPCCommon};
