#include "core/api_pointer.h"

namespace {
QuavenAPI engineApiTable = {};
}

QuavenAPI* qv = &engineApiTable;
