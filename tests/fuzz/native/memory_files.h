// The fuzzers' in-memory files in front of an API table's file system, for the Linux build.
#pragma once

#include "quaven/api.h"

// Puts the in-memory files in front of table's file system; QVF_PutFile fills them.
void QVF_InstallMemoryFiles(QuavenAPI* table);
