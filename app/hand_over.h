#pragma once
// On 64-bit Windows the 32-bit edition sees little of the 64-bit processes that
// make up nearly all of the system. Where the 64-bit edition lies beside it, it
// starts that one instead and ends before it shows any window.

#include "system/os.h"

namespace app {

inline constexpr char k64BitEditionName[] = "velmora64.exe";

enum class HandOver {
    handedOver, // the 64-bit edition runs: this program ends
    stayed,     // this program goes on as it always did
};

// For the 32-bit edition only. Starts k64BitEditionName from this program's own
// folder when this program runs under WOW64 on an x64 system and the file is
// there, and hands it the way this program was to show its window. Any failure on
// the way leaves this program to go on.
HandOver HandOverTo64BitEdition(sys::Os& os, int showCommand);

} // namespace app
