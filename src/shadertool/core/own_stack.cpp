#include "shadertool/core/own_stack.h"

#include "platform/windows/win32.h"

namespace ShaderTool {

namespace {

struct OwnStackWork {
    void (*work)(void*);
    void* argument;
};

DWORD WINAPI RunWork(void* parameter)
{
    OwnStackWork* own = static_cast<OwnStackWork*>(parameter);
    own->work(own->argument);
    return 0;
}

} // namespace

bool RunOnOwnStack(void (*work)(void*), void* argument, uint64_t stackBytes)
{
    // Only reserved: the pages are committed as the walk reaches them.
    if (!work || stackBytes == 0 || stackBytes > 0x7FFFFFFFu)
        return false;
    OwnStackWork own = {work, argument};
    HANDLE thread = CreateThread(nullptr, static_cast<SIZE_T>(stackBytes), RunWork, &own,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread)
        return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

} // namespace ShaderTool
