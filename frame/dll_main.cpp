// placeholder: the frame arrives next
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
