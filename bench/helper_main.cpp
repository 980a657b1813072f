// The helper processes the benchmark inspects:
//   velmora_bench_helper modules <folder> <count>  loads that many copies of the bench DLL
//   velmora_bench_helper regions <count>           lays out that many one-page regions
// Each serves as the test kit's helpers do: one line, "ready ..." or "failed ...",
// then it lives until its standard input ends (the benchmark closes it, or ends).

#include "bench/region_pattern.h"
#include "tests/kit/helper_process.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

testkit::HelperLayout LoadModules(const char* folder, int count) {
    int loaded = bench::LoadModuleCopies(folder, count);
    if (loaded < count) {
        DWORD error = ::GetLastError();
        return {false, bench::ModuleCopyName(loaded + 1) + " did not load, error " +
                           std::to_string(error)};
    }
    return {true, std::to_string(loaded)};
}

testkit::HelperLayout LayOutRegions(int count) {
    bench::RegionBlock block = bench::LayOutRegions(count);
    if (block.base == 0) {
        DWORD error = ::GetLastError();
        return {false, "no room for " + std::to_string(count) + " regions below 2 GB, error " +
                           std::to_string(error)};
    }
    char detail[64];
    std::snprintf(detail, sizeof detail, "%llx %llx", static_cast<unsigned long long>(block.base),
                  static_cast<unsigned long long>(block.bytes));
    return {true, detail};
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "modules") == 0) {
        return testkit::ServeAsHelper(LoadModules(argv[2], std::atoi(argv[3])));
    }
    if (argc == 3 && std::strcmp(argv[1], "regions") == 0) {
        return testkit::ServeAsHelper(LayOutRegions(std::atoi(argv[2])));
    }
    std::fprintf(stderr, "usage: velmora_bench_helper modules FOLDER COUNT | regions COUNT\n");
    return 1;
}
