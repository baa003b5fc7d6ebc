#include "core/events/console_hooks.h"

namespace {

const uint8_t kDefaultToggleKey = 167;

ConsoleDispatchState consoleState = {0, 0, 0, 0, kDefaultToggleKey};

}  // namespace

ConsoleDispatchState& QVI_GetConsoleDispatchState()
{
    return consoleState;
}

int QVI_ConsoleHandleEvent(EngineEvent* event)
{
    // A console that is not ready takes no input.
    return 0;
}
