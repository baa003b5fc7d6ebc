#pragma once

// Whether width x height can be shown, windowed or full screen: a forced variant or the
// developer's forced size always can; a window must leave a margin on the desktop (or, with
// FREE_RESOLUTION, may fill it exactly); full screen takes the desktop size or a display
// mode the renderer lists. A side of zero or less never can.
bool QVI_IsResolutionSupported(int width, int height, bool windowed);
