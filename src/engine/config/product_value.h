#pragma once

// The value of a product parameter: the chosen variant's node of prog.xml when it has
// the parameter, else prog.xml's PARAMETERS/APPLICATION node, else null. Null for a null
// name or before prog.xml has been read. The text belongs to the cached prog.xml.
const char* QVI_GetProductValue(const char* name);
