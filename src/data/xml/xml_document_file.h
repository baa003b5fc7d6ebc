#pragma once

// Reads a whole file through the API table's file system (qv->fileSystem OpenFile,
// Read, CloseFile) into a malloc'd block holding the bytes followed by a zero byte.
// Answers the block and stores the byte count (without the zero byte) in length,
// or answers null when the file cannot be opened or read or does not fit in memory.
char* QVI_ReadWholeFileForXML(const char* fileName, int* length);
