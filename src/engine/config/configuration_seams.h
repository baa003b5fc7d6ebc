#pragma once

// The API members answered from prog.xml (slots 27 and 28): HasFeature tests the
// APPLICATION and variant feature lists, GetProductValue reads the chosen variant and then
// APPLICATION. Before the configuration has been read no feature is set and no product
// value is known.
bool QV_HasFeature(const char* name);
const char* QV_GetProductValue(const char* name);
