// The helper processes the benchmark inspects:
//   velmora_bench_helper modules <folder> <count>  loads that many copies of the bench DLL
//   velmora_bench_helper regions <count>           lays out that many one-page regions
// Each prints one line, "ready ..." or "failed ...", and lives until its standard
// input ends (the benchmark closes it, or ends).

#include "bench/region_pattern.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void WaitForInputToEnd() {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
}

int Report(bool ready, const std::string& detail) {
    std::printf("%s %s\n", ready ? "ready" : "failed", detail.c_str());
    std::fflush(stdout);
    if (!ready) {
        return 2;
    }
    WaitForInputToEnd();
    return 0;
}

int LoadModules(const char* folder, int count) {
    int loaded = bench::LoadModuleCopies(folder, count);
    if (loaded < count) {
        return Report(false, bench::ModuleCopyName(loaded + 1) + " did not load, error " +
                                 std::to_string(::GetLastError()));
    }
    return Report(true, std::to_string(loaded));
}

int LayOutRegions(int count) {
    bench::RegionBlock block = bench::LayOutRegions(count);
    if (block.base == 0) {
        return Report(false, "no room for " + std::to_string(count) +
                                 " regions below 2 GB, error " + std::to_string(::GetLastError()));
    }
    char detail[64];
    std::snprintf(detail, sizeof detail, "%llx %llx", static_cast<unsigned long long>(block.base),
                  static_cast<unsigned long long>(block.bytes));
    return Report(true, detail);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "modules") == 0) {
        return LoadModules(argv[2], std::atoi(argv[3]));
    }
    if (argc == 3 && std::strcmp(argv[1], "regions") == 0) {
        return LayOutRegions(std::atoi(argv[2]));
    }
    std::fprintf(stderr, "usage: velmora_bench_helper modules FOLDER COUNT | regions COUNT\n");
    return 1;
}
