#include "engine/config/duplicate_ids.h"

#include <cstring>

#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "quaven/types.h"

namespace {

bool SameText(const char* a, const char* b)
{
    return a && b && strcmp(a, b) == 0;
}

const char* OrNullWord(const char* text)
{
    return text ? text : "null";
}

void CheckNodeIds(const DataArray* array)
{
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* first = array->nodes.data[i];
        for (int j = i + 1; j < array->nodes.count; ++j) {
            const DataNode* second = array->nodes.data[j];
            if (first && second && SameText(first->id, second->id))
                QVI_ReportPopup(QV_LOG_WARNING, "Array '%s' contains two nodes with id '%s'.", OrNullWord(array->id),
                                first->id);
        }
    }
}

void CheckParameterNames(const DataNode* node)
{
    const Array<DataParameter>& parameters = node->parameters;
    for (int a = 0; a < parameters.count; ++a) {
        for (int b = a + 1; b < parameters.count; ++b) {
            if (SameText(parameters.data[a].name, parameters.data[b].name))
                QVI_ReportPopup(QV_LOG_WARNING, "Node '%s' contains duplicate parameters with id '%s'.",
                                OrNullWord(node->id), parameters.data[a].name);
        }
    }
}

} // namespace

void QVI_CheckDuplicateIds(const DataArray* array)
{
    if (!array)
        return;
    CheckNodeIds(array);
    for (int i = 0; i < array->nodes.count; ++i) {
        if (const DataNode* node = array->nodes.data[i])
            CheckParameterNames(node);
    }
}
