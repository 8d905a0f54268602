// Quality and access-rights values, and the data-type sets of the core.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cstdint>

#include "opcda.h"

// The one quality the core itself sets: preset before every item read.
constexpr WORD QualityGood = 0xC0;

// The access rights of an item, the one form the core uses: a set of two
// flags in one byte, bit 0 readable and bit 1 writeable as OPC numbers them
// (OPC_READABLE, OPC_WRITEABLE). Conversion to and from the 32-bit OPC value
// copies the low byte.
class TAccessRights {
public:
    constexpr TAccessRights() = default;  // neither readable nor writeable
    static constexpr TAccessRights FromOpc(DWORD value) { return TAccessRights(static_cast<uint8_t>(value & 0xFF)); }
    static constexpr TAccessRights ReadOnly() { return TAccessRights(OPC_READABLE); }
    static constexpr TAccessRights WriteOnly() { return TAccessRights(OPC_WRITEABLE); }
    static constexpr TAccessRights ReadWrite() { return TAccessRights(OPC_READABLE | OPC_WRITEABLE); }

    constexpr DWORD ToOpc() const { return bits_; }
    constexpr bool Readable() const { return (bits_ & OPC_READABLE) != 0; }
    constexpr bool Writeable() const { return (bits_ & OPC_WRITEABLE) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    // True when the two sets share a right.
    constexpr bool Intersects(TAccessRights other) const { return (bits_ & other.bits_) != 0; }
    constexpr uint8_t Bits() const { return bits_; }
    constexpr TAccessRights operator|(TAccessRights other) const { return TAccessRights(bits_ | other.bits_); }
    constexpr bool operator==(const TAccessRights&) const = default;

private:
    constexpr explicit TAccessRights(uint8_t bits) : bits_(bits) {}
    uint8_t bits_ = 0;
};

// Raises EOpcError(OPC_E_BADTYPE) unless vt, without VT_ARRAY, is a type a
// client may request: EMPTY, I2, I4, R4, R8, DATE, BSTR, BOOL, I1, UI1, UI2,
// UI4, INT, UINT.
void CheckRequestedType(VARTYPE vt);

// Numeric scalar types that take part in the percent deadband: I2, I4, R4, R8,
// CY, I1, UI1, UI2, UI4, INT, UINT. Arrays never count.
bool IsDeadbandType(VARTYPE vt) noexcept;
