// String-table IDs of the OPC result-code texts (OpcMessages.rc). The IDs sit
// in a block of their own so that the program's other resources cannot collide.
#pragma once

#define IDS_OPC_E_INVALIDHANDLE     0xC001
#define IDS_OPC_E_BADTYPE           0xC004
#define IDS_OPC_E_PUBLIC            0xC005
#define IDS_OPC_E_BADRIGHTS         0xC006
#define IDS_OPC_E_UNKNOWNITEMID     0xC007
#define IDS_OPC_E_INVALIDITEMID     0xC008
#define IDS_OPC_E_INVALIDFILTER     0xC009
#define IDS_OPC_E_UNKNOWNPATH       0xC00A
#define IDS_OPC_E_RANGE             0xC00B
#define IDS_OPC_E_DUPLICATENAME     0xC00C
#define IDS_OPC_S_UNSUPPORTEDRATE   0xC00D
#define IDS_OPC_S_CLAMP             0xC00E
#define IDS_OPC_S_INUSE             0xC00F
#define IDS_OPC_E_INVALIDCONFIGFILE 0xC010
#define IDS_OPC_E_NOTFOUND          0xC011
#define IDS_OPC_E_INVALID_PID       0xC203
