#include "filesystem/string_list.h"

#include <cstdlib>

#include "core/cstring_utils.h"

StringList* QVI_NewStringList(const Array<String>& texts)
{
    StringList* list = static_cast<StringList*>(malloc(sizeof(StringList)));
    if (!list)
        return nullptr;
    list->items = nullptr;
    list->count = 0;
    if (texts.count <= 0)
        return list;
    list->items = static_cast<char**>(calloc(static_cast<size_t>(texts.count), sizeof(char*)));
    if (!list->items)
        return list;
    for (int32_t i = 0; i < texts.count; ++i) {
        char* copy = QVI_StrDup(texts.data[i].text);
        if (!copy)
            break;
        list->items[list->count++] = copy;
    }
    return list;
}

void QV_FreeStringList(StringList* list)
{
    if (!list)
        return;
    if (list->items) {
        for (int32_t i = 0; i < list->count; ++i)
            free(list->items[i]);
        free(list->items);
    }
    list->items = nullptr;
    list->count = 0;
    free(list);
}
