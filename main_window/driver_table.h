#pragma once
// The device drivers loaded in the system, sorted by unsigned load address,
// and the texts the driver list and its caption show.

#include "system/address.h"
#include "system/os.h"

#include <cstdint>
#include <string>
#include <vector>

namespace main_window {

// Parallel arrays: element k is row k of the driver list.
struct DriverTable {
    int32_t lNumDrivers = 0;
    std::vector<sys::Address> uDriverBases; // as the system gives them, read unsigned
    std::vector<std::string> sDriverNames;
    std::vector<std::string> sDriverPaths;
    // Every address came back 0: Windows hides kernel addresses from programs
    // without the debug privilege enabled. No driver then has a place on the bar.
    bool addressesHidden = false;
};

inline constexpr char kHiddenAddressesInfo[] =
    "Windows hides driver addresses from programs without the debug privilege.";

// Reads the system's module information in one query, with the debug privilege
// enabled for it where the program holds it; raises the system error when the
// query fails.
DriverTable ReadDrivers(sys::Os& os);

// "disk.sys @ 8010 0000", "ntfs.sys @ FFFF F802 1234 0000": every digit of the
// address's width, a blank between groups of four.
std::string DriverLineText(const std::string& name, sys::Address base);
// Each driver's line; "name @ hidden" while the addresses are hidden.
std::vector<std::string> DriverLines(const DriverTable& table);

// "97 Drivers"
std::string DriversCaption(int32_t count);

} // namespace main_window
