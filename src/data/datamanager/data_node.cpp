#include "data/datamanager/data_node.h"

#include <cstdlib>
#include <cstring>

DataNode::DataNode(const char* newId) : id(QVI_CopyTextOrNull(newId))
{
}

DataNode::~DataNode()
{
    free(id);
}

const char* DataNode::GetParameter(const char* name) const
{
    const DataParameter* parameter = QVI_FindDataParameter(parameters, name);
    return parameter ? parameter->value : nullptr;
}

void DataNode::SetParameter(const char* name, const char* value)
{
    if (!name)
        return;
    if (strcmp(name, "id") == 0) {
        char* newId = QVI_CopyTextOrNull(value);
        free(id);
        id = newId;
    }
    if (DataParameter* existing = QVI_FindDataParameter(parameters, name)) {
        existing->SetValue(value);
        return;
    }
    parameters.Add(DataParameter(name, value));
}
