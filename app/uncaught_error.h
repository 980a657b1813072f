#pragma once
// The one place an error that left an event handler ends up: a message box with
// its number and description, then the end of the program.

#include "system/os.h"

#include <exception>
#include <string>

namespace app {

struct UncaughtReport {
    int32_t number;
    std::string description;
};

// Number and description of any exception: raised system errors keep theirs,
// the language's own failures get the numbers a Basic run-time would give them.
UncaughtReport DescribeUncaught(std::exception_ptr error);

std::string UncaughtMessageText(const UncaughtReport& report);

// Shows the report and posts WM_QUIT, so every message loop of the program ends.
void ReportUncaughtError(sys::Os& os, std::exception_ptr error);

} // namespace app
