#pragma once
// The device drivers loaded in the system, sorted by unsigned load address,
// and the texts the driver list and its caption show.

#include "system/os.h"

#include <cstdint>
#include <string>
#include <vector>

namespace main_window {

// Parallel arrays: element k is row k of the driver list.
struct DriverTable {
    int32_t lNumDrivers = 0;
    std::vector<int32_t> lDriverBases;  // as the system gives them
    std::vector<uint32_t> uDriverBases; // the same, read unsigned
    std::vector<std::string> sDriverNames;
    std::vector<std::string> sDriverPaths;
};

// Raises the system error when the enumeration fails.
DriverTable ReadDrivers(sys::Os& os);

// "disk.sys @ 8010 0000": all eight digits, a blank between the halves.
std::string DriverLineText(const std::string& name, uint32_t base);
std::vector<std::string> DriverLines(const DriverTable& table);

// "97 Drivers"
std::string DriversCaption(int32_t count);

} // namespace main_window
