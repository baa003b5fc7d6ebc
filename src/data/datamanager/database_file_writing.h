#pragma once

#include <cstdint>

// Writes a whole data file through the API table's file system so that a failure
// leaves the previous file as it was: on the folder-backed schemes the bytes go to
// "<name>.tmp" first, which then replaces the file in one step. Reports its failures
// through LogPopup (quoting fileName) and answers false.
bool QVI_WriteDataFileReplacing(const char* fileName, const uint8_t* bytes, int size);
