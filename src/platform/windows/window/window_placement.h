#pragma once

#include <cstdint>

// Where the main window goes and how it looks for a client area of a given size.
struct WindowPlacement {
    int x;        // outer top-left corner, screen pixels
    int y;
    int width;    // outer size
    int height;
    uint32_t style;
    uint32_t extendedStyle;
};

// Full screen: a popup at (0, 0). Windowed: a captioned window centred on the screen, or
// a popup when the client area would not fit inside the desktop (desktop size from the
// window's video mode). The outer size is the client size grown by the frame. Answers out.
WindowPlacement* QVI_CalcWindowPlacement(int clientWidth, int clientHeight, WindowPlacement* out, bool windowed);
