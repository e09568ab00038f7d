// Static construction and destruction of the module, shared by the DLL and the executable entries.
#pragma once

void TessaryRuntimeRunConstructors();
void __cdecl TessaryRuntimeRunDestructors();
