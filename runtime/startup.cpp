// Module start-up of the MSVC-ABI flavour, in place of the Visual C++ runtime's: the compiler lists
// each static constructor in the .CRT$XCU section and registers each static destructor with
// atexit. A DLL runs the constructors before its DllMain sees the attach and runs its own exit table
// after DllMain sees the detach; executables start in exe_entry.cpp.
#include <windows.h>
#include <corecrt_startup.h>
#include "runtime/startup.h"

extern "C" {
_CRTIMP void __cdecl _initterm(_PVFV* first, _PVFV* last);
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved);
BOOL WINAPI TessaryRuntimeDefaultDllMain(HINSTANCE, DWORD, void*) { return TRUE; }
}
// A DLL without a DllMain of its own gets the default, as with the Visual C++ runtime.
#pragma comment(linker, "/alternatename:DllMain=TessaryRuntimeDefaultDllMain")

// Floating-point code refers to this symbol so that the linker brings in floating-point support;
// the Universal CRT needs no set-up for it.
extern "C" const int _fltused = 0x9875;

#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) static _PVFV constructorsBegin[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) static _PVFV constructorsEnd[] = {nullptr};

namespace {

_onexit_table_t moduleExitTable;

} // namespace

void TessaryRuntimeRunConstructors()
{
    _initialize_onexit_table(&moduleExitTable);
    _initterm(constructorsBegin, constructorsEnd);
}

void __cdecl TessaryRuntimeRunDestructors()
{
    _execute_onexit_table(&moduleExitTable);
}

// The compiler's registration of a static destructor; _initterm skips the null markers.
extern "C" int __cdecl atexit(_PVFV function)
{
    return _register_onexit_function(&moduleExitTable, reinterpret_cast<_onexit_t>(reinterpret_cast<void*>(function)));
}

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE module, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        TessaryRuntimeRunConstructors();
    const BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH || (reason == DLL_PROCESS_ATTACH && !result))
        TessaryRuntimeRunDestructors();
    return result;
}

