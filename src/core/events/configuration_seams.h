#pragma once

// API members answered from prog.xml once the configuration reader exists. Until then
// no feature is set and no product value is known; the first call of each logs that.
bool QV_HasFeature(const char* name);
const char* QV_GetProductValue(const char* name);
