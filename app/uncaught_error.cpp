#include "app/uncaught_error.h"

#include "app/app_title.h"

#include "system/address.h"
#include "system/bas_enum_procs.h"
#include "system/raised_error.h"

#include <new>
#include <stdexcept>

namespace app {

namespace {
constexpr int32_t kOverflow = 6;
constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kSubscriptOutOfRange = 9;
constexpr int32_t kInternalError = 51;
} // namespace

UncaughtReport DescribeUncaught(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const sys::RaisedError& raised) {
        return {raised.Number(), raised.Description()};
    } catch (const std::out_of_range&) {
        return {kSubscriptOutOfRange, "Subscript out of range"};
    } catch (const std::overflow_error&) {
        return {kOverflow, "Overflow"};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemory, "Out of memory"};
    } catch (const std::exception& other) {
        return {kInternalError, std::string("Internal error: ") + other.what()};
    } catch (...) {
        return {kInternalError, "Internal error"};
    }
}

std::string UncaughtMessageText(const UncaughtReport& report) {
    return "Run-time error " + std::to_string(report.number) + " (&H" +
           sys::HexDigits(static_cast<uint32_t>(report.number)) + "):\r\n\r\n" + report.description;
}

void ReportUncaughtError(sys::Os& os, std::exception_ptr error) {
    std::string text = UncaughtMessageText(DescribeUncaught(error));
    os.MessageBoxA(nullptr, text.c_str(), kAppTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ::PostQuitMessage(1);
}

} // namespace app
