#pragma once

// Looks an export of the test executable itself up by name, as the engine looks
// up the exports of prog.dll. Null when the name is not exported.
void* FindOwnExport(const char* name);
