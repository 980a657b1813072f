#pragma once
// On 64-bit Windows the 32-bit edition sees little of the 64-bit processes that
// make up nearly all of the system. Where the 64-bit edition lies beside it, it
// starts that one instead and ends before it shows any window.

#include "system/os.h"

namespace app {

inline constexpr char k64BitEditionName[] = "velmora64.exe";

enum class HandOver {
    handedOver, // the 64-bit edition runs: this program ends
    stayed,     // this program goes on and shows its own window
};

// For the 32-bit edition only. Starts k64BitEditionName from this program's own
// folder when this program runs under WOW64 on an x64 system and the file is
// there, and hands it the way this program was to show its window. Any failure on
// the way leaves this program to go on.
HandOver HandOverTo64BitEdition(sys::Os& os, int showCommand);

// What start-up does first: the 32-bit edition tries the hand-over, the 64-bit
// edition stays.
HandOver HandOverFromThe32BitEdition(sys::Os& os, int showCommand);

} // namespace app
