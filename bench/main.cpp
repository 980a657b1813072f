// The benchmark. Prints one Markdown table to standard output, progress to
// standard error. Usage:
//   velmora_bench [--quick] [--runs=N] [--only=live,scale,fill,startup]
//                 [--viewer=PATH] [--product-exe-bytes=N]
// Exits 1 when a helper or a check fails (nothing is measured then), 0 otherwise;
// missed goals show in the table.

#include "bench/region_pattern.h"
#include "bench/rows.h"
#include "tests/kit/helper_process.h"
#include "tests/kit/programs.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kRegions = 5000;

using testkit::HelperProcess;
using testkit::OwnFolder;

struct Options {
    bench::Settings settings;
    std::string only; // empty: every part
};

bool HasPrefix(const char* text, const char* prefix, const char** rest) {
    size_t length = std::strlen(prefix);
    if (std::strncmp(text, prefix, length) != 0) {
        return false;
    }
    *rest = text + length;
    return true;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    options.settings.viewerPath =
        OwnFolder() + (sizeof(void*) == 8 ? "..\\velmora64.exe" : "..\\velmora.exe");
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.settings.quick = true;
            options.settings.runs = 3;
        } else if (HasPrefix(argv[i], "--runs=", &value)) {
            options.settings.runs = std::max(1, std::atoi(value));
        } else if (HasPrefix(argv[i], "--only=", &value)) {
            options.only = value;
        } else if (HasPrefix(argv[i], "--viewer=", &value)) {
            options.settings.viewerPath = value;
        } else if (HasPrefix(argv[i], "--product-exe-bytes=", &value)) {
            options.settings.productExeBytes = std::strtoull(value, nullptr, 10);
        } else {
            throw std::runtime_error(std::string("unknown argument ") + argv[i]);
        }
    }
    return options;
}

bool Wanted(const Options& options, const char* part) {
    return options.only.empty() || options.only.find(part) != std::string::npos;
}

std::string HelperCommand(const std::string& arguments) {
    return "\"" + OwnFolder() + "velmora_bench_helper.exe\" " + arguments;
}

void CheckModuleHelper(const HelperProcess& helper, int expected) {
    testkit::UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, helper.Id()));
    int copies = bench::CountModuleCopies(process.Get());
    if (copies < expected) {
        throw std::runtime_error("the module helper has " + std::to_string(copies) +
                                 " copies of the bench DLL loaded, not " +
                                 std::to_string(expected) + " or more");
    }
    std::fprintf(stderr, "bench: module helper %lu has %d bench DLLs loaded\n", helper.Id(),
                 copies);
}

void CheckRegionHelper(const HelperProcess& helper) {
    bench::RegionBlock block;
    unsigned long long base = 0;
    unsigned long long bytes = 0;
    if (std::sscanf(helper.Detail().c_str(), "%llx %llx", &base, &bytes) != 2) {
        throw std::runtime_error("the region helper said: " + helper.Detail());
    }
    block.base = static_cast<uintptr_t>(base);
    block.bytes = static_cast<SIZE_T>(bytes);
    bench::RegionCheck check = bench::CheckRegions(helper.Handle(), block);
    if (check.regions != kRegions || !check.alternating) {
        throw std::runtime_error("the region helper's block holds " +
                                 std::to_string(check.regions) + " regions" +
                                 (check.alternating ? "" : ", not alternating page by page"));
    }
    std::fprintf(stderr, "bench: region helper %lu has %d distinct regions at %llx\n", helper.Id(),
                 check.regions, base);
}

void AddLiveRows(bench::Table& table, const Options& options) {
    auto moduleHelper = [](int copies) {
        return HelperCommand("modules \"" + OwnFolder() + "modules\" " + std::to_string(copies));
    };
    HelperProcess some(moduleHelper(VELMORA_BENCH_MODULES));
    CheckModuleHelper(some, VELMORA_BENCH_MODULES);
    HelperProcess regions(HelperCommand("regions " + std::to_string(kRegions)));
    CheckRegionHelper(regions);
    // Wine's loader takes about a minute for 1,200 DLLs: each load looks through all
    // those loaded before it.
    constexpr DWORD kManyModulesReadyMs = 300000;
    std::optional<HelperProcess> many;
    auto startMany = [&] {
        many.emplace(moduleHelper(VELMORA_BENCH_MANY_MODULES), kManyModulesReadyMs);
        CheckModuleHelper(*many, VELMORA_BENCH_MANY_MODULES);
        return many->Id();
    };
    bench::AddLiveRows(table, options.settings, {some.Id(), startMany}, regions.Id());
}

int Run(int argc, char** argv) {
    Options options = ParseOptions(argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    bench::Table table(true);
    if (Wanted(options, "live")) {
        std::fprintf(stderr, "bench: the real system\n");
        AddLiveRows(table, options);
    }
    if (Wanted(options, "scale")) {
        std::fprintf(stderr, "bench: scale through the fake system\n");
        bench::AddScaleRows(table, options.settings);
    }
    if (Wanted(options, "fill")) {
        std::fprintf(stderr, "bench: list fill\n");
        bench::AddListFillRows(table, options.settings);
    }
    if (Wanted(options, "startup")) {
        std::fprintf(stderr, "bench: start-up\n");
        bench::AddStartupRows(table, options.settings);
    }
    std::printf("%s", table.Markdown().c_str());
    std::fprintf(stderr, "bench: %d goal(s) missed\n", table.MissedGoals());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: FAILED: %s\n", error.what());
        return 1;
    }
}
