#pragma once

// Windows sockets, at the 1.1 level the HTTP client asks WSAStartup for. <windows.h> already
// declares that API; it comes in through win32.h like every other Win32 header, so this file
// never meets a second, clashing socket header.
#include "platform/windows/win32.h"

#include <winsock.h>
