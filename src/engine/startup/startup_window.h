#pragma once

// What the main window is made for: the resolution start-up selected for the display (in a
// window whenever the renderer will use one: asked for, smaller than 640 x 480, or a forced
// variant) on the desktop of the screen state, and the attached renderer, which hears about
// activation changes. Installed before the window is created.
void QVI_InstallStartupWindowSources();
