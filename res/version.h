/* The one place the program's version is set: the version resource, the exe's
   name in the release archive and CMake's project version all come from here. */
#pragma once

#define VELMORA_VERSION_MAJOR 1
#define VELMORA_VERSION_MINOR 0
#define VELMORA_VERSION_PATCH 0
#define VELMORA_VERSION_BUILD 0

#define VELMORA_STRINGIFY2(x) #x
#define VELMORA_STRINGIFY(x) VELMORA_STRINGIFY2(x)
#define VELMORA_VERSION_TEXT                                                                       \
    VELMORA_STRINGIFY(VELMORA_VERSION_MAJOR) "." VELMORA_STRINGIFY(VELMORA_VERSION_MINOR) "."      \
        VELMORA_STRINGIFY(VELMORA_VERSION_PATCH) "." VELMORA_STRINGIFY(VELMORA_VERSION_BUILD)
