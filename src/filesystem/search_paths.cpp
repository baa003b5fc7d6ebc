#include "platform/windows/win32.h"

#include "filesystem/search_paths.h"

#include <cstring>

#include "core/engine_string.h"

namespace {

// Constant-initialised: the lock and the pointers need no start-up code and no exit
// code, so the list can be used at any point of the process's life.
SRWLOCK g_searchPathLock = SRWLOCK_INIT;
Array<const char*>* g_searchPaths = nullptr;
Array<char*>* g_internedTexts = nullptr;

class ExclusiveHold {
public:
    ExclusiveHold() { AcquireSRWLockExclusive(&g_searchPathLock); }
    ~ExclusiveHold() { ReleaseSRWLockExclusive(&g_searchPathLock); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
};

class SharedHold {
public:
    SharedHold() { AcquireSRWLockShared(&g_searchPathLock); }
    ~SharedHold() { ReleaseSRWLockShared(&g_searchPathLock); }
    SharedHold(const SharedHold&) = delete;
    SharedHold& operator=(const SharedHold&) = delete;
};

// Under the exclusive lock.
const char* Intern(const char* text)
{
    if (!g_internedTexts)
        g_internedTexts = new Array<char*>();
    for (int32_t i = 0; i < g_internedTexts->count; ++i) {
        if (strcmp(g_internedTexts->data[i], text) == 0)
            return g_internedTexts->data[i];
    }
    size_t length = strlen(text);
    char* copy = new char[length + 1];
    memcpy(copy, text, length + 1);
    g_internedTexts->Add(copy);
    return copy;
}

// Under either lock.
int IndexOf(const char* path)
{
    if (!g_searchPaths || !path)
        return -1;
    for (int32_t i = 0; i < g_searchPaths->count; ++i) {
        if (strcmp(g_searchPaths->data[i], path) == 0)
            return i;
    }
    return -1;
}

void InsertAtFront(Array<const char*>& list, const char* text)
{
    list.Add(text);
    for (int32_t i = list.count - 1; i > 0; --i)
        list.data[i] = list.data[i - 1];
    list.data[0] = text;
}

} // namespace

SearchPathSnapshot QVI_GetSearchPathSnapshot()
{
    SharedHold hold;
    if (!g_searchPaths)
        return SearchPathSnapshot();
    return *g_searchPaths;
}

int QVI_GetSearchPathListCount()
{
    SharedHold hold;
    return g_searchPaths ? g_searchPaths->count : 0;
}

const char* QVI_GetSearchPathAt(int index)
{
    SharedHold hold;
    if (!g_searchPaths || index < 0 || index >= g_searchPaths->count)
        return nullptr;
    return g_searchPaths->data[index];
}

int QVI_FindSearchPath(const char* path)
{
    SharedHold hold;
    return IndexOf(path);
}

void QVI_InsertSearchPath(const char* path, bool first, int* countBefore, SearchPathSnapshot* after)
{
    if (!path)
        return;
    ExclusiveHold hold;
    if (!g_searchPaths)
        g_searchPaths = new Array<const char*>();
    int existing = IndexOf(path);
    if (existing >= 0)
        g_searchPaths->RemoveAt(existing);
    if (countBefore)
        *countBefore = g_searchPaths->count;
    const char* text = Intern(path);
    if (first)
        InsertAtFront(*g_searchPaths, text);
    else
        g_searchPaths->Add(text);
    if (after)
        *after = *g_searchPaths;
}

int QVI_RemoveSearchPathEntry(const char* path)
{
    ExclusiveHold hold;
    int index = IndexOf(path);
    if (index >= 0)
        g_searchPaths->RemoveAt(index);
    return index;
}

void QVI_FreeSearchPaths()
{
    ExclusiveHold hold;
    delete g_searchPaths;
    g_searchPaths = nullptr;
    if (g_internedTexts) {
        for (int32_t i = 0; i < g_internedTexts->count; ++i)
            delete[] g_internedTexts->data[i];
        delete g_internedTexts;
        g_internedTexts = nullptr;
    }
}
