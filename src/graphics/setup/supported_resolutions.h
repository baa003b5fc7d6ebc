#pragma once

// Replaces a "resolutions" setting that begins with "*" by the concrete list: the device's
// display modes together with the common modes the engine knows, widest first, as
// "WxH,WxH,...". Needs an attached renderer; without one nothing changes.
void QVI_BuildSupportedResolutions();
