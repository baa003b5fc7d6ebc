// The headers as a C++ game sees them: without the engine's additions to Color and
// Matrix4. The suite is built with QUAVEN_BUILDING_ENGINE for every source, so it
// is switched off here to compile (with the project's warnings) and measure the
// game's view; headers_test.cpp compares it with the engine's view and with C's.
#undef QUAVEN_BUILDING_ENGINE
#include <quaven/quaven.h>

#include "c_game_side.h"

const long kGameCppLayout[] = {
#define QV_LAYOUT_ITEM(name, expression, expected) static_cast<long>(expression),
#include "layout_items.inc"
#undef QV_LAYOUT_ITEM
};
const int kGameCppLayoutCount = static_cast<int>(sizeof(kGameCppLayout) / sizeof(kGameCppLayout[0]));
