// Kept apart from the tests: <windows.h> defines macros (CreateMutex, LoadBitmap,
// DrawText, ...) that would rename members of the API tables.
#include "own_export.h"

#include <windows.h>

void* FindOwnExport(const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name));
}
