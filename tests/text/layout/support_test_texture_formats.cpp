// The graphics suite's software renderer, built into the text suite as well.
#include "graphics/support/test_texture_formats.cpp"
