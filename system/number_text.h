#pragma once
// The "#,###" pattern: whole numbers with the user's thousands separator and
// grouping, no decimals, and the empty text for 0.

#include "system/os.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sys {

class ThousandsFormat {
public:
    // Reads the user's separator and grouping once; for one operation's numbers.
    explicit ThousandsFormat(Os& os);
    ThousandsFormat(std::string separator, std::string grouping);

    std::string Format(uint64_t value) const;

private:
    struct Grouping {
        std::vector<int> sizes; // group sizes from the right
        bool repeatLast;        // the grouping ended in ";0": the last size repeats
    };
    static Grouping ParseGrouping(const std::string& grouping);

    std::string separator_;
    Grouping grouping_;
};

} // namespace sys
