#include "data/datamanager/data_parameter.h"

#include <cstdlib>
#include <cstring>

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

DataParameter* QVI_FindDataParameter(const Array<DataParameter>& parameters, const char* name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < parameters.count; ++i) {
        DataParameter& parameter = parameters.data[i];
        if (parameter.name && strcmp(parameter.name, name) == 0)
            return &parameter;
    }
    return nullptr;
}

DataParameter::DataParameter() : name(nullptr), value(nullptr)
{
}

DataParameter::DataParameter(const char* newName, const char* newValue)
    : name(QVI_CopyTextOrNull(newName)), value(QVI_CopyTextOrNull(newValue))
{
}

DataParameter::DataParameter(const DataParameter& other)
    : name(QVI_CopyTextOrNull(other.name)), value(QVI_CopyTextOrNull(other.value))
{
}

DataParameter& DataParameter::operator=(const DataParameter& other)
{
    if (this == &other)
        return *this;
    // Copies first, so a failure or aliasing never leaves freed texts behind.
    char* newName = QVI_CopyTextOrNull(other.name);
    char* newValue = QVI_CopyTextOrNull(other.value);
    free(name);
    free(value);
    name = newName;
    value = newValue;
    return *this;
}

DataParameter::~DataParameter()
{
    free(name);
    free(value);
}

void DataParameter::SetValue(const char* newValue)
{
    if (!newValue)
        return;
    char* copy = QVI_CopyTextOrNull(newValue);
    free(value);
    value = copy;
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
