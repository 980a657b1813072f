#include "tests/kit/memory_map_fixture.h"

#include "system/bas_enum_procs.h"

namespace testkit {

void HandToTheMemoryMap(DWORD pid, const std::string& name) {
    basEnumProcs::lMemMapProcessID = static_cast<int32_t>(pid);
    basEnumProcs::sMemMapProcessName = name;
}

std::vector<MEMORY_BASIC_INFORMATION> SmallAddressSpace() {
    return {fake::Region(0, 0x10000, MEM_FREE),
            fake::Region(0x10000, 0x1000, MEM_COMMIT, MEM_PRIVATE, PAGE_READWRITE),
            fake::Region(0x11000, 0x3EF000, MEM_FREE),
            fake::Region(0x400000, 0x1000, MEM_COMMIT, MEM_IMAGE, PAGE_READONLY),
            fake::Region(0x401000, 0x7FBFF000, MEM_FREE)};
}

void ScriptMappedProcess(fake::FakeOs& os, std::vector<MEMORY_BASIC_INFORMATION> regions, DWORD pid,
                         const std::string& name) {
    fake::Process& process = os.processes[pid] = fake::MakeProcess(name, "C:\\Apps\\" + name);
    process.regions = std::move(regions);
    HandToTheMemoryMap(pid, name);
}

} // namespace testkit
