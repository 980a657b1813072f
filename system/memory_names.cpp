#include "system/memory_names.h"

#include <iterator>

namespace basEnumProcs {

namespace {

struct Name {
    int32_t value;
    const char* text;
};

constexpr Name kStatesAndTypes[] = {
    {0x1000, "COMMIT"},     {0x2000, "RESERVE"},  {0x4000, "DECOMMIT"}, {0x8000, "RELEASE"},
    {0x10000, "FREE"},      {0x20000, "PRIVATE"}, {0x40000, "MAPPED"},  {0x80000, "RESET"},
    {0x100000, "TOP_DOWN"}, {0x1000000, "IMAGE"},
};

constexpr Name kProtections[] = {
    {0x01, "NOACCESS"},          {0x02, "READONLY"},          {0x04, "READWRITE"},
    {0x08, "WRITECOPY"},         {0x10, "EXECUTE"},           {0x20, "EXECUTE_READ"},
    {0x40, "EXECUTE_READWRITE"}, {0x80, "EXECUTE_WRITECOPY"}, {0x100, "GUARD"},
    {0x200, "NOCACHE"},
};

template <size_t N> std::string NameOf(const Name (&names)[N], int32_t value) {
    for (const Name& name : names) {
        if (name.value == value) {
            return name.text;
        }
    }
    return std::to_string(value);
}

} // namespace

std::string MemStateTypeText(int32_t value) { return NameOf(kStatesAndTypes, value); }

std::string MemProtectText(int32_t value) { return NameOf(kProtections, value); }

} // namespace basEnumProcs
