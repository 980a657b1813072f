/* One small DLL. The build copies it under many names; the helper loads every copy,
   and each copy becomes a module of its own. */

#include <windows.h>

__declspec(dllexport) int velmora_bench_module_marker(void) { return 1; }
