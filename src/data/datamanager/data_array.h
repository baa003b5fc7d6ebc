#pragma once

#include "core/array.h"
#include "data/datamanager/data_node.h"
#include "data/datamanager/data_parameter.h"

// One array of a DataManager database: an optional id, the array element's own
// attributes (other than "id") and its nodes in document order. Owns its nodes.
class DataArray {
public:
    char* id;                            // heap copy, may be null
    Array<DataParameter> parameters;
    Array<DataNode*> nodes;

    explicit DataArray(const char* id);
    ~DataArray();
    DataArray(const DataArray&) = delete;
    DataArray& operator=(const DataArray&) = delete;

    // The first node with that id (byte comparison); null for a null id.
    DataNode* FindNode(const char* id) const;
    // Null outside 0 to count - 1.
    DataNode* GetNode(int index) const;
    // FindNode, then that node's GetParameter.
    const char* GetNodeParameter(const char* nodeId, const char* name) const;
};
