#include "bench/scale_scenes.h"

#include <numeric>
#include <string>

namespace bench {

namespace {

constexpr uint32_t kPage = 0x1000;
constexpr uint32_t kFirstModuleBase = 0x10000000;
constexpr uint32_t kModuleSpacing = 0x10000;
constexpr uint32_t kFirstRegion = 0x10000;
constexpr uint32_t kTwoGigabytes = 0x80000000u;

uint32_t CoprimeStep(uint32_t count) {
    uint32_t step = count / 2 + 1;
    while (std::gcd(step, count) != 1) {
        ++step;
    }
    return step;
}

} // namespace

uint32_t Scrambled(uint32_t index, uint32_t count) {
    return static_cast<uint32_t>((static_cast<uint64_t>(index) * CoprimeStep(count)) % count);
}

void AddProcesses(fake::FakeOs& os, int count) {
    auto n = static_cast<uint32_t>(count);
    os.processOrder.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        DWORD id = 8 + 4 * Scrambled(i, n);
        std::string name = "process" + std::to_string(id) + ".exe";
        os.processes[id] = fake::MakeProcess(name, "C:\\Programs\\" + name);
        os.processOrder.push_back(id);
    }
}

fake::Process ProcessWithModules(int count) {
    fake::Process process = fake::MakeProcess("many.exe", "C:\\Programs\\many.exe");
    auto n = static_cast<uint32_t>(count);
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t slot = Scrambled(i, n);
        std::string name = "module" + std::to_string(slot) + ".dll";
        process.modules.push_back(
            {kFirstModuleBase + slot * kModuleSpacing, 0x8000, name, "C:\\Programs\\lib\\" + name});
    }
    return process;
}

fake::Process ProcessWithRegions(int count) {
    fake::Process process = fake::MakeProcess("spread.exe", "C:\\Programs\\spread.exe");
    process.regions.push_back(fake::Region(0, kFirstRegion, MEM_FREE));
    uint32_t at = kFirstRegion;
    for (int i = 0; i < count; ++i, at += kPage) {
        process.regions.push_back(i % 2 == 0
                                      ? fake::Region(at, kPage, MEM_COMMIT, MEM_PRIVATE, 4)
                                      : fake::Region(at, kPage, MEM_RESERVE, MEM_PRIVATE, 0));
    }
    process.regions.push_back(fake::Region(at, kTwoGigabytes - at, MEM_FREE));
    return process;
}

} // namespace bench
