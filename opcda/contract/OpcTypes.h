// Quality and access-rights values, and the data-type sets of the core.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cstdint>

// The one quality the core itself sets: preset before every item read.
constexpr WORD QualityGood = 0xC0;

// OPC access rights as 32-bit values (OPC_READABLE, OPC_WRITEABLE).
constexpr DWORD AccessReadable = 1;
constexpr DWORD AccessWriteable = 2;

// The core's one-byte form of the access rights: bit 0 readable, bit 1
// writeable. Conversion to and from the OPC value copies the low byte.
class TAccessRights {
public:
    constexpr TAccessRights() = default;
    static constexpr TAccessRights FromOpc(DWORD value) { return TAccessRights(static_cast<uint8_t>(value & 0xFF)); }
    static constexpr TAccessRights ReadWrite() { return TAccessRights(AccessReadable | AccessWriteable); }

    constexpr DWORD ToOpc() const { return bits_; }
    constexpr bool Readable() const { return (bits_ & AccessReadable) != 0; }
    constexpr bool Writeable() const { return (bits_ & AccessWriteable) != 0; }
    constexpr uint8_t Bits() const { return bits_; }
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
