#pragma once
// How long the long runs go: short in CI, the full count with --full on the
// command line or VELMORA_SOAK=full in the environment (tools/soak.sh).

namespace reliability {

struct SoakCounts {
    int cycles; // refresh-and-select cycles of the main window
    int maps;   // memory map windows, each mapping, mapping free only and copying
};

inline constexpr SoakCounts kShortSoak{60, 15};
inline constexpr SoakCounts kFullSoak{1000, 200};

SoakCounts ChosenSoak();

} // namespace reliability
