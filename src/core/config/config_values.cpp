#include "core/config/config_values.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"

bool QVI_IsSwitchOn(const char* value)
{
    return value && (value[0] == '1' || value[0] == 't');
}

int32_t QVI_ParseClampedInt(const char* text)
{
    if (!text)
        return 0;
    long long number = strtoll(text, nullptr, 10);
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int32_t>(number);
}

void QVI_ParseSize(const char* text, int32_t* width, int32_t* height)
{
    *width = 0;
    *height = 0;
    if (!text)
        return;
    // strtoll stops at the 'x' by itself.
    *width = QVI_ParseClampedInt(text);
    const char* separator = strchr(text, 'x');
    if (separator)
        *height = QVI_ParseClampedInt(separator + 1);
}

void QVI_CopyIntoField(char* field, int capacity, const char* text)
{
    if (!field || capacity < 1)
        return;
    size_t length = text ? strlen(text) : 0;
    size_t room = static_cast<size_t>(capacity - 1);
    if (length > room) {
        length = room;
        // A cut before a continuation byte would leave half a character behind.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    if (length > 0)
        memcpy(field, text, length);
    field[length] = '\0';
}

void QVI_ReplaceText(char** slot, const char* value)
{
    char* copy = value ? QVI_StrDup(value) : nullptr;
    free(*slot);
    *slot = copy;
}

void QVI_AppendToList(char** list, const char* addition)
{
    if (!addition)
        return;
    if (!*list || !**list) {
        QVI_ReplaceText(list, addition);
        return;
    }
    size_t listLength = strlen(*list);
    size_t additionLength = strlen(addition);
    char* joined = static_cast<char*>(malloc(listLength + 1 + additionLength + 1));
    if (!joined)
        return;
    memcpy(joined, *list, listLength);
    joined[listLength] = ',';
    memcpy(joined + listLength + 1, addition, additionLength + 1);
    free(*list);
    *list = joined;
}

int32_t QVI_FrameTimeFromFpsLimit(float fpsLimit)
{
    // Also false for NaN: no divisor at or below zero, no division by zero.
    if (!(fpsLimit > -2.0f))
        return 0;
    float milliseconds = 1000.0f / (fpsLimit + 2.0f);
    if (!(milliseconds < 2147483520.0f))  // the largest float below 2^31
        return INT_MAX;
    return static_cast<int32_t>(milliseconds);
}
