#pragma once
// What the memory map window is handed when the main window opens it: the id and
// the name of the process to map.

#include "tests/kit/fake_os.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testkit {

// Hands process `pid`, shown as `name`, to the next memory map window.
void HandToTheMemoryMap(DWORD pid, const std::string& name);

// A small address space: 64 KB free, a committed page, free space, the first page
// of the image at 0x400000, and free space up to 2 GB.
std::vector<MEMORY_BASIC_INFORMATION> SmallAddressSpace();

// Scripts process `pid` as `name` at C:\Apps\<name> with these regions, and hands
// it to the next memory map window.
void ScriptMappedProcess(fake::FakeOs& os,
                         std::vector<MEMORY_BASIC_INFORMATION> regions = SmallAddressSpace(),
                         DWORD pid = 8, const std::string& name = "app.exe");

} // namespace testkit
