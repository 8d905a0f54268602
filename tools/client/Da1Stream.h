// Reading the data blocks that an OPC DA 1.0 server hands to IAdviseSink::
// OnDataChange (formats OPCSTMFORMATDATA and OPCSTMFORMATDATATIME): a group
// header, one item header per item, then the value records. Values are
// images of the 16-byte VARIANT of the 32-bit layout, followed by a string's
// characters or an array's descriptor and elements.
#pragma once
#include <windows.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "com/ComOwners.h"
#include "opcda.h"

struct TDa1ItemValue {
    OPCHANDLE ClientHandle = 0;
    WORD Quality = 0;
    FILETIME TimeStamp{};  // zero in a block without time stamps
    UniqueVariant Value;
};

struct TDa1DataBlock {
    OPCHANDLE ClientGroup = 0;
    DWORD TransactionId = 0;
    HRESULT Status = S_OK;
    std::vector<TDa1ItemValue> Items;
};

// A block that does not hold together (a size or an offset out of range).
class EBadDa1Block : public std::runtime_error {
public:
    explicit EBadDa1Block(const char* what) : std::runtime_error(what) {}
};

// Reads a data block of size bytes (the memory block may be larger than the
// header's dwSize; dwSize must fit into it). Raises EBadDa1Block.
TDa1DataBlock ReadDa1DataBlock(const BYTE* block, size_t size, bool withTimeStamps);
