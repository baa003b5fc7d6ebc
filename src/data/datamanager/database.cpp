#include "data/datamanager/database.h"

#include "core/engine_log.h"

#include <cstdlib>
#include <cstring>
#include <new>

char* QVI_CopyTextOrNull(const char* text)
{
    if (!text)
        return nullptr;
    size_t bytes = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(bytes));
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

void QVI_AddDataParameter(Array<DataParameter>& parameters, const char* name, const char* value, DataStore* store)
{
    // Built in its slot: a temporary would be copied in (one more copy of its texts)
    // and then freed. Set also frees whatever a removal left in the slot.
    parameters.AddInPlace().Set(name, value, store);
}

DataParameter* QVI_FindDataParameter(const Array<DataParameter>& parameters, const char* name)
{
    if (!name)
        return nullptr;
    // Every attribute a loader sets is looked up first: names mostly differ in their
    // first byte, which is compared before the call.
    for (int i = 0; i < parameters.count; ++i) {
        DataParameter& parameter = parameters.data[i];
        if (parameter.name && parameter.name[0] == name[0] && strcmp(parameter.name, name) == 0)
            return &parameter;
    }
    return nullptr;
}

namespace {

// Operator new must not answer null.
void* AllocateOrThrow(DataStore* store, size_t bytes)
{
    void* block = DataStore::Allocate(store, bytes);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

void* DataParameter::operator new[](size_t bytes)
{
    return AllocateOrThrow(nullptr, bytes);
}

void* DataParameter::operator new[](size_t bytes, DataStore& store)
{
    return AllocateOrThrow(&store, bytes);
}

void DataParameter::operator delete[](void* block)
{
    DataStore::Free(block);
}

void DataParameter::operator delete[](void* block, DataStore&)
{
    DataStore::Free(block);
}

DataParameter::DataParameter() : name(nullptr), value(nullptr)
{
}

DataParameter::DataParameter(const char* newName, const char* newValue) : name(nullptr), value(nullptr)
{
    Set(newName, newValue);
}

DataParameter::DataParameter(const DataParameter& other) : name(nullptr), value(nullptr)
{
    Set(other.name, other.value);
}

DataParameter& DataParameter::operator=(const DataParameter& other)
{
    if (this != &other)
        Set(other.name, other.value);
    return *this;
}

DataParameter::~DataParameter()
{
    DataStore::Free(name ? name : value);
}

void DataParameter::Set(const char* newName, const char* newValue, DataStore* store)
{
    // The new block is made before the old one is freed: either text may point into it.
    char* block = nullptr;
    char* valueCopy = nullptr;
    if (!newName)
        valueCopy = block = QVI_CopyDataText(newValue, store);
    else
        block = DataStore::CopyTexts(store, newName, newValue, &valueCopy);
    // A fresh slot has nothing to free: the call is spared.
    if (char* old = name ? name : value)
        DataStore::Free(old);
    name = newName ? block : nullptr;
    value = valueCopy;
}

void DataParameter::SetValue(const char* newValue, DataStore* store)
{
    if (newValue)
        Set(name, newValue, store);
}

namespace {

bool SameText(const char* a, const char* b)
{
    if (!a || !b)
        return a == b;
    return strcmp(a, b) == 0;
}

} // namespace

bool DataParameter::operator==(const DataParameter& other) const
{
    return SameText(name, other.name) && SameText(value, other.value);
}

void* DataNode::operator new(size_t bytes)
{
    return AllocateOrThrow(nullptr, bytes);
}

void* DataNode::operator new(size_t bytes, DataStore& store)
{
    return AllocateOrThrow(&store, bytes);
}

void DataNode::operator delete(void* block)
{
    DataStore::Free(block);
}

void DataNode::operator delete(void* block, DataStore&)
{
    DataStore::Free(block);
}

DataNode::DataNode(const char* newId) : id(QVI_CopyDataText(newId, nullptr))
{
}

DataNode::~DataNode()
{
    DataStore::Free(id);
}

const char* DataNode::GetParameter(const char* name) const
{
    const DataParameter* parameter = QVI_FindDataParameter(parameters, name);
    return parameter ? parameter->value : nullptr;
}

void DataNode::SetParameter(const char* name, const char* value, DataStore* store)
{
    if (!name)
        return;
    if (name[0] == 'i' && strcmp(name, "id") == 0) {
        char* newId = QVI_CopyDataText(value, store);
        DataStore::Free(id);
        id = newId;
    }
    if (DataParameter* existing = QVI_FindDataParameter(parameters, name)) {
        existing->SetValue(value, store);
        return;
    }
    QVI_AddDataParameter(parameters, name, value, store);
}

DataArray::DataArray(const char* newId) : id(QVI_CopyTextOrNull(newId))
{
}

DataArray::~DataArray()
{
    nodes.DeleteAll();
    free(id);
}

DataNode* DataArray::FindNode(const char* nodeId) const
{
    if (!nodeId)
        return nullptr;
    for (int i = 0; i < nodes.count; ++i) {
        DataNode* node = nodes.data[i];
        if (node && node->id && strcmp(node->id, nodeId) == 0)
            return node;
    }
    return nullptr;
}

DataNode* DataArray::GetNode(int index) const
{
    if (index < 0 || index >= nodes.count)
        return nullptr;
    return nodes.data[index];
}

const char* DataArray::GetNodeParameter(const char* nodeId, const char* name) const
{
    DataNode* node = FindNode(nodeId);
    return node ? node->GetParameter(name) : nullptr;
}

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
