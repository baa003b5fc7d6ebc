#pragma once

#include <cstdint>

namespace ShaderTool {

// Runs work(argument) to its end on a thread of its own whose stack reserves stackBytes,
// the caller waiting meanwhile: a recursive walk too deep for the caller's stack goes there.
// False when no such thread could be made (the address space has no room for the stack);
// work has not run then.
bool RunOnOwnStack(void (*work)(void*), void* argument, uint64_t stackBytes);

} // namespace ShaderTool
