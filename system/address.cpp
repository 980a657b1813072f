#include "system/address.h"

namespace sys {

namespace {

constexpr uint64_t kLowerTwoGigabytesBound = 0x7FFEFFFF;

// Inserts a blank before every group of four digits counted from the right.
std::string GroupByFour(const std::string& digits) {
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 4);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 4 == 0) {
            grouped += ' ';
        }
        grouped += digits[i];
    }
    return grouped;
}

} // namespace

std::string HexDigits(uint64_t value, size_t minimumDigits) {
    static const char kDigits[] = "0123456789ABCDEF";
    char text[16];
    size_t used = 0;
    do {
        text[15 - used++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string digits(text + 16 - used, used);
    if (digits.size() < minimumDigits) {
        digits.insert(0, minimumDigits - digits.size(), '0');
    }
    return digits;
}

std::string Address::Hex() const { return HexDigits(bits_); }

std::string Address::GroupedHex() const { return GroupByFour(Hex()); }

std::string Address::FullHex() const {
    return GroupByFour(HexDigits(bits_, width_ == AddressWidth::Bits32 ? 8 : 16));
}

AddressWidth ProcessAddressWidth(Os& os, HANDLE process) {
    if (kEditionWidth == AddressWidth::Bits32) {
        return AddressWidth::Bits32;
    }
    BOOL wow64 = FALSE;
    if (os.IsWow64Process(process, &wow64) && wow64) {
        return AddressWidth::Bits32;
    }
    return AddressWidth::Bits64;
}

uint64_t WalkBound(Os& os, AddressWidth width) {
    if (width == AddressWidth::Bits32) {
        return kLowerTwoGigabytesBound;
    }
    SYSTEM_INFO info{};
    os.GetSystemInfo(&info);
    return reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
}

} // namespace sys
