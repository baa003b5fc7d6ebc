#pragma once

#include "quaven/filesystem.h"

// Formats at most 4095 characters and writes them through the API table's file-system
// Write member. Answers the character count, or -1 when the text was cut (the first
// 4095 characters are still written).
int QVI_FilePrintf(FileHandle* file, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
