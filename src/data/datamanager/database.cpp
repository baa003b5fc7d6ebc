#include "data/datamanager/database.h"

#include "core/engine_log.h"

#include <cstdlib>
#include <cstring>

namespace {

// ".xml" and ".XML" alike: only ASCII letters fold.
bool EndsWithIgnoringCase(const char* text, size_t length, const char* suffix)
{
    size_t suffixLength = strlen(suffix);
    if (length < suffixLength)
        return false;
    const char* tail = text + length - suffixLength;
    for (size_t i = 0; i < suffixLength; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

} // namespace

Database::Database() : fileName(nullptr)
{
}

Database::~Database()
{
    Clear();
}

bool Database::Load(const char* name)
{
    char* copy = QVI_CopyTextOrNull(name);
    free(fileName);
    fileName = copy;
    if (!name)
        return false;
    size_t length = strlen(name);
    if (length < 4)
        return false;
    if (EndsWithIgnoringCase(name, length, ".xml") || EndsWithIgnoringCase(name, length, ".dat"))
        return LoadXMLFile(name);
    if (EndsWithIgnoringCase(name, length, ".csv"))
        return LoadCSV(name);
    qv->LogPopup(QV_LOG_WARNING, "Unknown database file type '%s'.\nSupported formats are: .csv .xml", name);
    return false;
}

DataArray* Database::FindArray(const char* id) const
{
    for (int i = 0; i < arrays.count; ++i) {
        DataArray* array = arrays.data[i];
        if (!array)
            continue;
        if (!id) {
            if (!array->id)
                return array;
            continue;
        }
        if (array->id && strcmp(array->id, id) == 0)
            return array;
    }
    return nullptr;
}

const char* Database::GetParameter(const char* arrayId, const char* nodeId, const char* name) const
{
    if (!nodeId)
        return nullptr;
    DataArray* array = FindArray(arrayId);
    return array ? array->GetNodeParameter(nodeId, name) : nullptr;
}

void Database::DeleteArrays()
{
    arrays.DeleteAll();
}

void Database::Clear()
{
    DeleteArrays();
    free(fileName);
    fileName = nullptr;
}
