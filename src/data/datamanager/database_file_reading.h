#pragma once

#include "quaven/types.h"

class ByteBuffer;

// Appends the rest of an open file to out through the API table's file system.
// False when out could not hold it (out then keeps what it had before).
bool QVI_ReadRestOfFile(FileHandle* file, ByteBuffer* out);
