#include "engine/config/manifests.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "data/datamanager/data_manager.h"

namespace {

bool IsRegistered(const char* path)
{
    for (int i = 0; i < g_config.manifests.count; ++i) {
        const Database* manifest = g_config.manifests.data[i];
        if (manifest && manifest->fileName && strcmp(manifest->fileName, path) == 0)
            return true;
    }
    return false;
}

template <typename T>
void AddInFront(Array<T>& list, T element)
{
    list.Add(element);
    for (int i = list.count - 1; i > 0; --i)
        list.data[i] = list.data[i - 1];
    list.data[0] = element;
}

bool FileExists(const char* path)
{
    return qv && qv->fileSystem && qv->fileSystem->FileExists && qv->fileSystem->FileExists(path);
}

} // namespace

void QVI_AddManifest(const char* path)
{
    if (!path || IsRegistered(path) || !FileExists(path))
        return;
    Database* manifest = DataManager::GetDatabase(path);
    if (manifest && manifest->arrays.count > 0) {
        AddInFront(g_config.manifests, manifest);
        AddInFront(g_config.manifestArrays, manifest->arrays.data[0]);
    }
    QVI_Report(QV_LOG_INFO, "Added manifest '%s'.", path);
}
