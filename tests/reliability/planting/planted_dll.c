/* A planted stand-in for version.dll or psapi.dll (PLANTED_VERSION or
   PLANTED_PSAPI): loading it leaves NAME.loaded beside it, and every export
   fails with access denied, whatever it is given. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH + 8];
        DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcpyA(marker + length, ".loaded");
            HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
            }
        }
    }
    return TRUE;
}

static BOOL Refuse(void) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

#ifdef PLANTED_VERSION
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    return (DWORD)Refuse();
}
__declspec(dllexport) BOOL WINAPI
    GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    return Refuse();
}
__declspec(dllexport) BOOL WINAPI
    VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length) {
    return Refuse();
}
#endif

#ifdef PLANTED_PSAPI
__declspec(dllexport) BOOL WINAPI EnumProcesses(DWORD* ids, DWORD bytes, DWORD* written) {
    return Refuse();
}
__declspec(dllexport) BOOL WINAPI
    EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
    return Refuse();
}
__declspec(dllexport) DWORD WINAPI
    GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return (DWORD)Refuse();
}
__declspec(dllexport) DWORD WINAPI
    GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size) {
    return (DWORD)Refuse();
}
__declspec(dllexport) BOOL WINAPI
    GetModuleInformation(HANDLE process, HMODULE module, LPVOID info, DWORD size) {
    return Refuse();
}
__declspec(dllexport) BOOL WINAPI
    GetProcessMemoryInfo(HANDLE process, LPVOID counters, DWORD size) {
    return Refuse();
}
__declspec(dllexport) BOOL WINAPI EnumDeviceDrivers(LPVOID* bases, DWORD bytes, DWORD* needed) {
    return Refuse();
}
__declspec(dllexport) DWORD WINAPI GetDeviceDriverBaseNameA(LPVOID base, LPSTR buffer, DWORD size) {
    return (DWORD)Refuse();
}
__declspec(dllexport) DWORD WINAPI GetDeviceDriverFileNameA(LPVOID base, LPSTR buffer, DWORD size) {
    return (DWORD)Refuse();
}
#endif
