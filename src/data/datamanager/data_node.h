#pragma once

#include "core/array.h"
#include "data/datamanager/data_parameter.h"

// One node of a DataManager array: an optional id and named text values in the
// order they were first set.
class DataNode {
public:
    char* id;                            // heap copy, may be null
    Array<DataParameter> parameters;

    explicit DataNode(const char* id);
    ~DataNode();
    DataNode(const DataNode&) = delete;
    DataNode& operator=(const DataNode&) = delete;

    // The value of the first parameter with that name; null for a missing or null name.
    const char* GetParameter(const char* name) const;

    // A null name does nothing. The name "id" also makes a copy of value the node's id.
    // An existing parameter gets a copy of value (a null value leaves it as it was);
    // otherwise {name, value or null} is appended.
    void SetParameter(const char* name, const char* value);
};
