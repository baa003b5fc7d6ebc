#pragma once

// True when name is a whole token (between the list's ends and the separators ' ', ','
// and ';') of the APPLICATION feature list or of the chosen variant's feature list.
// Either list may be missing. Any thread, once the configuration has been read.
bool QVI_HasFeature(const char* name);
