#pragma once

#include <cstdint>

// Small readers and writers of configuration values.

// A switch is on when its value begins with '1' or 't'.
bool QVI_IsSwitchOn(const char* value);

// "W x H" written as "1024x768": the integer before the first 'x' and the one after it;
// a missing or unreadable part is 0, and numbers beyond the int range are clamped.
void QVI_ParseSize(const char* text, int32_t* width, int32_t* height);

// A decimal integer clamped to the int range; 0 for null or text without digits.
int32_t QVI_ParseClampedInt(const char* text);

// Copies text into a fixed text field of the program record: cut so that it fits with its
// terminator, and never in the middle of a UTF-8 character. Null empties the field.
void QVI_CopyIntoField(char* field, int capacity, const char* text);

// Replaces a heap text (malloc) by a copy of value; a null value leaves null.
void QVI_ReplaceText(char** slot, const char* value);

// Appends addition to a heap list after a comma, or makes it the list when the list is
// null or empty.
void QVI_AppendToList(char** list, const char* addition);

// The frame period of "fps_limit": the truncation of 1000 / (limit + 2). A limit of -2 or
// less (or one that is not a number) means no pacing, 0.
int32_t QVI_FrameTimeFromFpsLimit(float fpsLimit);
