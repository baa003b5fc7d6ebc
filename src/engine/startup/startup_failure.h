#pragma once

// A start-up failure that ends the run reaches the person who started it: through LogPopup
// when logging runs (before the program's Init that shows a dialog at once), and straight
// through the platform's popup when logging has not started or filters errors out.
void QVI_ShowStartupFailure(const char* text);
