// The entry of an MSVC-ABI executable: wide arguments from the C library, static constructors, then
// wmain. The module's exit table is registered with the C library, so exit() from anywhere runs the
// static destructors before the streams are flushed.
#include "runtime/startup.h"
#include <cstdlib>
#include <corecrt_startup.h>

extern "C" {
_CRTIMP int __cdecl _configure_wide_argv(int mode);
int wmain(int argc, wchar_t** argv);

int wmainCRTStartup()
{
    _configure_wide_argv(1 /* _crt_argv_unexpanded_arguments */);
    TessaryRuntimeRunConstructors();
    _crt_atexit(TessaryRuntimeRunDestructors);
    exit(wmain(*__p___argc(), *__p___wargv()));
}
}
