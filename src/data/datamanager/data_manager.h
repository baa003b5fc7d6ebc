#pragma once

#include "core/array.h"
#include "data/datamanager/database.h"

// The cache of loaded databases, by exact file name, for the whole run. Every member
// may be called from any thread: the cache is guarded by a lock of its own, and a
// database enters it only once its loading has finished.
class DataManager {
public:
    // The cached database of that file name; else one loaded now and cached, also
    // when loading failed (it is then empty, and the file is not read again). Never
    // null: a null name counts as "".
    static Database* GetDatabase(const char* fileName);

    // Takes the database out of the cache and deletes it with its arrays, nodes and
    // parameters. A database that is not in the cache is left alone.
    static void UnloadDatabase(Database* database);

    // The cached database of that file name, without loading anything; null when
    // there is none.
    static Database* FindDatabase(const char* fileName);

    // Caches a database made by the caller (for example a new, empty one that is
    // saved later). The cache owns it from then on. Refused (false, and the caller
    // keeps it) when it has no file name or a database of that name is cached already.
    static bool AddDatabase(Database* database);

    // The cached databases, in the order they were added. Read only under the lock.
    static Array<Database*> databases;
};
