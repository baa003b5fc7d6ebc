#pragma once

struct CoreState;

// A source of game-controller input. The core keeps up to eight of them in a list, calls
// Init once at core initialisation, Update and EndFrame once per drawn frame and SetActive
// when the main window gains or loses the focus; all on the main thread. Implementations
// report through the API table of the state block given to Init.
class InputImp {
public:
    virtual ~InputImp();
    // False keeps the implementation out of the list.
    virtual bool IsSupported() = 0;
    virtual const char* GetName() = 0;
    // Once after registration; false when the system pieces it needs are missing (it
    // stays listed and must then do nothing).
    virtual bool Init(CoreState* state) = 0;
    // Releases what Init acquired; the engine itself never calls it.
    virtual void Shutdown() = 0;
    virtual void SetActive(bool active) = 0;
    // Before the frame's queued events are dispatched.
    virtual void Update() = 0;
    // Right after the frame has been presented.
    virtual void EndFrame() = 0;
    // The string-command dispatcher's last stop; null means not handled.
    virtual const char* Command(const char* name, const char* argument) = 0;
};
