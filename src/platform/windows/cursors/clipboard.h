#pragma once

#include "core/engine_string.h"

// The clipboard's text (CF_TEXT), read for the main window; the empty text when there is
// none or the clipboard cannot be read. Never a null text (unless out of memory). Main
// thread only.
String QVI_GetClipboardText();
