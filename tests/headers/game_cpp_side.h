#pragma once

// The layout answers of headers_game_cpp.cpp, in the order of layout_items.inc.
int GameCppLayoutCount();
// -1 for an index outside 0 to count - 1.
long GameCppLayoutValue(int index);
