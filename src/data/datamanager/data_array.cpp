#include "data/datamanager/data_array.h"

#include <cstdlib>
#include <cstring>

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
