// The module entry point of tessary.dll.
#include "frame/context.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return tessary::ProcessAttach(module);
    case DLL_PROCESS_DETACH:
        tessary::ProcessDetach();
        return TRUE;
    default:
        return TRUE;
    }
}
