#include "support/child_test.h"

#include <cstdlib>

#include "support/process.h"

namespace quaven_test {

bool InChild(const char* variable) { return getenv(variable) != nullptr; }

DWORD RunCurrentTestInChild(const char* variable, DWORD timeoutMs)
{
    ChildProcess child;
    DWORD exitCode = STILL_ACTIVE;
    if (!child.StartSelf(CurrentTestFilter(), {{variable, "1"}}) || !child.Wait(timeoutMs, &exitCode))
        return STILL_ACTIVE;
    return exitCode;
}

}  // namespace quaven_test
