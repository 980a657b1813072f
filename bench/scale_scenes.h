#pragma once
// Systems of a chosen size for the fake layer: many processes, one process with
// many modules, one with many regions. Enumerations return them out of order, as
// real systems do, so the viewer's sorting is part of what is measured.

#include "tests/kit/fake_os.h"

#include <cstdint>

namespace bench {

// Ids 8, 12, ... (multiples of 4, as Windows and Wine give them), each an
// openable process with a main module and a name of its own.
void AddProcesses(fake::FakeOs& os, int count);

// Bases 64 KB apart from 0x10000000, listed in a scrambled order.
fake::Process ProcessWithModules(int count);

// Free at 0, then `count` one-page regions committed and reserved in turn, then
// free space up to 2 GB.
fake::Process ProcessWithRegions(int count);

// i -> (i * step) mod count with a step coprime to count: every index once, scrambled.
uint32_t Scrambled(uint32_t index, uint32_t count);

} // namespace bench
