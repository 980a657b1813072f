#include "tests/reliability/scene.h"

#include "tests/kit/memory_map_fixture.h"
#include "tests/kit/text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace reliability {

using main_window::MainControl;

namespace {

// Every call of the layer that can be made to fail.
const char* const kEveryCall[] = {"OpenProcess",
                                  "CloseHandle",
                                  "GetPriorityClass",
                                  "VirtualQueryEx",
                                  "GetModuleFileNameA",
                                  "FormatMessageA",
                                  "GetLocaleInfoA",
                                  "GetFileAttributesExA",
                                  "FileTimeToLocalFileTime",
                                  "FileTimeToSystemTime",
                                  "GetDateFormatA",
                                  "GetTimeFormatA",
                                  "EnumProcesses",
                                  "EnumProcessModules",
                                  "EnumProcessModulesEx",
                                  "IsWow64Process",
                                  "NtQueryInformationProcess",
                                  "ReadProcessMemory",
                                  "GetModuleBaseNameA",
                                  "GetModuleFileNameExA",
                                  "GetModuleInformation",
                                  "GetProcessMemoryInfo",
                                  "CreateToolhelp32Snapshot",
                                  "Process32First",
                                  "Process32Next",
                                  "OpenProcessToken",
                                  "LookupPrivilegeValueA",
                                  "AdjustTokenPrivileges",
                                  "NtQuerySystemInformation",
                                  "GetFileVersionInfoSizeA",
                                  "GetFileVersionInfoA",
                                  "VerQueryValueA",
                                  "MessageBoxA",
                                  "ShellExecuteA",
                                  "OpenClipboard",
                                  "EmptyClipboard",
                                  "SetClipboardData",
                                  "CloseClipboard",
                                  "GlobalAlloc",
                                  "GlobalLock",
                                  "GlobalUnlock",
                                  "GlobalFree"};

// A version block: the fixed record, a U.S. English translation, a company name.
fake::VersionFile AlphaVersionFile() {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwFileVersionMS = 0x00010002;
    fixed.dwFileVersionLS = 0x00030004;
    fixed.dwProductVersionMS = 0x00010002;
    fake::VersionFile file = fake::UsEnglishVersionFile(128, fixed, 64);
    file.Put("\\StringFileInfo\\040904B0\\CompanyName", 80, "Alpha Co", 9, 9);
    SYSTEMTIME written{2020, 1, 4, 2, 3, 4, 5, 0};
    ::SystemTimeToFileTime(&written, &file.lastWrite);
    return file;
}

} // namespace

Injection Injection::Everything() {
    Injection injection;
    injection.everything = true;
    return injection;
}

std::string Injection::Describe() const {
    if (everything) {
        return "every call failing";
    }
    if (call.empty()) {
        return "no call failing";
    }
    return call +
           (number == 0 ? " failing every time" : " #" + std::to_string(number) + " failing");
}

void Injection::Apply(fake::FakeOs& os) const {
    if (everything) {
        for (const char* name : kEveryCall) {
            os.Fail(name, ERROR_ACCESS_DENIED);
        }
    } else if (!call.empty()) {
        os.Fail(call, ERROR_ACCESS_DENIED, number);
    }
}

namespace {

void ScriptTwoProcesses(fake::FakeOs& os) {
    fake::Process alpha = fake::MakeProcess("alpha.exe", "C:\\alpha.exe");
    alpha.modules.push_back({0x10000000, 0x5000, "alphalib.dll", "C:\\alphalib.dll"});
    alpha.counters.WorkingSetSize = 111111;
    alpha.counters.PagefileUsage = 333333;
    alpha.counters.PageFaultCount = 7777;
    alpha.regions = testkit::SmallAddressSpace();
    fake::Process beta = fake::MakeProcess("beta.exe", "C:\\beta.exe");
    beta.modules.push_back({0x20000000, 0x8000, "betalib.dll", "C:\\betalib.dll"});
    beta.counters.WorkingSetSize = 222222;
    beta.counters.PagefileUsage = 444444;
    beta.counters.PageFaultCount = 8888;
    os.processes[8] = alpha;
    os.processes[12] = beta;
    os.drivers = {{0x80100000u, "\\SystemRoot\\disk.sys"}};
    os.versionFiles["C:\\alpha.exe"] = AlphaVersionFile();
}

} // namespace

Scene::Scene() {
    ScriptTwoProcesses(os);
    Open(SW_HIDE);
    form->cmdRefresh_Click();
}

Scene::~Scene() { map.reset(); } // the main window closes after it

void Scene::OpenMap() {
    testkit::HandToTheMemoryMap(8, "alpha.exe");
    map = std::make_unique<memory_map::frmMemMap>(os, ::GetModuleHandleA(nullptr));
    map->Create(form->Handle());
}

std::string Scene::MapText(memory_map::MapControl control) const {
    return app::GetText(map->Control(control));
}

std::vector<std::string> Scene::MapLines() const {
    std::string text = MapText(memory_map::MapControl::txtMemMap);
    return text.empty() ? std::vector<std::string>() : testkit::SplitLines(text);
}

void Scene::ExpectModuleSideCleared() const {
    EXPECT_EQ(Rows(MainControl::lstModules).size(), 0u);
    EXPECT_EQ(Text(MainControl::lblModules), "No modules");
    EXPECT_EQ(Text(MainControl::lblPageFaults), "Page Faults: ");
    EXPECT_EQ(Text(MainControl::lblWorkingSet), "Working Set Size: ");
    EXPECT_EQ(Text(MainControl::lblPageFile), "Page File Usage: ");
}

void Scene::ExpectNothingOfAlpha() const {
    for (const std::string& row : Rows(MainControl::lstModules)) {
        EXPECT_EQ(row.find("alpha"), std::string::npos) << row;
    }
    for (MainControl label :
         {MainControl::lblWorkingSet, MainControl::lblPageFile, MainControl::lblPageFaults}) {
        std::string text = Text(label);
        for (const char* value : {"111,111", "333,333", "7,777"}) {
            EXPECT_EQ(text.find(value), std::string::npos) << text;
        }
    }
    EXPECT_EQ(Text(MainControl::lblModules).find("126,976"), std::string::npos);
    EXPECT_EQ(Text(MainControl::txtStatus).find("alpha"), std::string::npos);
}

} // namespace reliability
