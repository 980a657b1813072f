#pragma once
// An address (or a size) in some process, with the width that process gives it.
// A 32-bit process's addresses are kept as signed 32-bit numbers, so that one at
// or above 2 GB sorts before every address below it; a 64-bit process's are
// full unsigned pointers. Every table, the bar and the memory map take their
// order and their texts from here, whichever edition runs.

#include "system/os.h"

#include <cstdint>
#include <string>

namespace sys {

enum class AddressWidth { Bits32, Bits64 };

// The width of the pointers of the edition that runs: the 64-bit edition's own.
inline constexpr AddressWidth kEditionWidth =
    sizeof(void*) == 8 ? AddressWidth::Bits64 : AddressWidth::Bits32;

class Address {
public:
    constexpr Address() = default;
    // A 32-bit address keeps only the low 32 bits of `value`.
    constexpr Address(uint64_t value, AddressWidth width)
        : bits_(width == AddressWidth::Bits32 ? static_cast<uint32_t>(value) : value),
          width_(width) {}
    static Address FromPointer(const void* pointer, AddressWidth width) {
        return Address(reinterpret_cast<uintptr_t>(pointer), width);
    }

    constexpr AddressWidth Width() const { return width_; }
    // The bit pattern read unsigned: 0 to 2^32 - 1 for a 32-bit address.
    constexpr uint64_t Unsigned() const { return bits_; }
    // As the 32-bit edition keeps it: a signed 32-bit number.
    constexpr int32_t Signed32() const {
        return static_cast<int32_t>(static_cast<uint32_t>(bits_));
    }
    // The address as a pointer of the edition that runs (cut to 32 bits in the 32-bit one).
    void* Pointer() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(bits_)); }

    // Signed for 32 bits, unsigned for 64: the order in which modules are listed.
    friend constexpr bool operator<(const Address& a, const Address& b) {
        if (a.width_ == AddressWidth::Bits32 && b.width_ == AddressWidth::Bits32) {
            return a.Signed32() < b.Signed32();
        }
        return a.bits_ < b.bits_;
    }
    friend constexpr bool operator>(const Address& a, const Address& b) { return b < a; }
    friend constexpr bool operator<=(const Address& a, const Address& b) { return !(b < a); }
    friend constexpr bool operator>=(const Address& a, const Address& b) { return !(a < b); }
    friend constexpr bool operator==(const Address& a, const Address& b) {
        return a.bits_ == b.bits_ && a.width_ == b.width_;
    }

    // Upper-case hexadecimal without leading zeros: "400000", "7FFB12340000".
    std::string Hex() const;
    // The memory map's form: Hex() with a blank before every group of four digits
    // counted from the right: "1 0000", "8000 0000", "7FF6 1234 0000".
    std::string GroupedHex() const;
    // Every digit of the width, leading zeros kept, a blank between groups of
    // four: "0000 A000", "FFFF F802 1234 0000".
    std::string FullHex() const;

private:
    uint64_t bits_ = 0;
    AddressWidth width_ = AddressWidth::Bits32;
};

// Upper-case hexadecimal of any value, no leading zeros beyond `minimumDigits`:
// HexDigits(0x1A000) is "1A000", HexDigits(1033, 4) is "0409".
std::string HexDigits(uint64_t value, size_t minimumDigits = 1);

// The width of another process's addresses: a 32-bit process's on 32-bit Windows
// and under WOW64, else the 64-bit edition's own. When the system cannot say, the
// process is taken to be like the edition.
AddressWidth ProcessAddressWidth(Os& os, HANDLE process);

// The address up to which a process's memory map runs: the 2 GB bound
// for a 32-bit process, the highest application address for a 64-bit one.
uint64_t WalkBound(Os& os, AddressWidth width);

} // namespace sys
