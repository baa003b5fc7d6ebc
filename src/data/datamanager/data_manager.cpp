#include "data/datamanager/data_manager.h"

#include "core/locks.h"

#include <cstdlib>
#include <cstring>

// Constant-initialised: usable before any start-up code has run.
Array<Database*> DataManager::databases;

namespace {

// Loader threads and the main thread may ask for databases at the same time. The
// lock is made on first use (thread-safe static initialisation) and lives until the
// process ends, as the cache does.
Mutex* CacheLock()
{
    static Mutex* lock = QVI_NewMutexRecord("DataManager");
    return lock;
}

class CacheGuard {
public:
    CacheGuard() { QV_LockMutex(CacheLock()); }
    ~CacheGuard() { QV_UnlockMutex(CacheLock()); }
    CacheGuard(const CacheGuard&) = delete;
    CacheGuard& operator=(const CacheGuard&) = delete;
};

Database* FindCached(const char* fileName)
{
    Array<Database*>& cache = DataManager::databases;
    for (int i = 0; i < cache.count; ++i) {
        Database* database = cache.data[i];
        if (database && database->fileName && strcmp(database->fileName, fileName) == 0)
            return database;
    }
    return nullptr;
}

} // namespace

Database* DataManager::GetDatabase(const char* fileName)
{
    // Callers rely on getting a database: a null name is cached, empty, as "".
    if (!fileName)
        fileName = "";
    // The lock is held while loading, so a second thread asking for the same file
    // waits for the first load instead of reading it again or seeing it half done.
    CacheGuard guard;
    if (Database* cached = FindCached(fileName))
        return cached;
    Database* database = new Database();
    database->Load(fileName);
    // The cache finds it by this name whatever the load did with its own copy.
    if (!database->fileName || strcmp(database->fileName, fileName) != 0) {
        free(database->fileName);
        database->fileName = QVI_CopyTextOrNull(fileName);
    }
    databases.Add(database);
    return database;
}

void DataManager::UnloadDatabase(Database* database)
{
    if (!database)
        return;
    {
        CacheGuard guard;
        if (!databases.Remove(database))
            return;
    }
    delete database;
}

Database* DataManager::FindDatabase(const char* fileName)
{
    if (!fileName)
        return nullptr;
    CacheGuard guard;
    return FindCached(fileName);
}

bool DataManager::AddDatabase(Database* database)
{
    if (!database || !database->fileName)
        return false;
    CacheGuard guard;
    if (databases.Contains(database) || FindCached(database->fileName))
        return false;
    databases.Add(database);
    return true;
}
