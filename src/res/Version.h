// The product version of both programs, written once: their version resources include it and
// the build reads it back (CMakeLists.txt, tools/package.sh).
#pragma once
#define VELMORA_VERSION_MAJOR 1
#define VELMORA_VERSION_MINOR 0
#define VELMORA_VERSION_PATCH 1
#define VELMORA_VERSION_BUILD 102
#define VELMORA_VERSION_TEXT "1.0.1.102"
