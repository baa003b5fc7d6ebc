#include "engine/config/configuration_keys.h"

#include <cstring>

#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "platform/popups.h"
#include "quaven/types.h"

namespace {

struct DeprecatedParameter {
    const char* name;
    const char* message;
};

const DeprecatedParameter kDeprecatedVariantParameters[] = {
    {"program_library", "Deprecated parm 'program_library' in prog.xml. Remove it."},
    {"music_format", "Deprecated parm 'music_format' in prog.xml. Remove it."},
    {"sound_fx_format", "Deprecated parm 'sound_fx_format' in prog.xml. Remove it."},
};

void ReportDuplicatesOf(const DataArray* variants, int index)
{
    const DataNode* node = variants->nodes.data[index];
    for (int other = 0; other < variants->nodes.count; ++other) {
        const DataNode* candidate = variants->nodes.data[other];
        if (other == index || !candidate || !candidate->id)
            continue;
        if (strcmp(candidate->id, node->id) == 0)
            QVI_ReportPopup(QV_LOG_WARNING, "There are multiple VARIANTS with id '%s' in prog.xml. There can be only one.",
                            node->id);
    }
}

void ReportDeprecatedParameters(const DataNode* node)
{
    for (int i = 0; i < node->parameters.count; ++i) {
        const char* name = node->parameters.data[i].name;
        if (!name)
            continue;
        for (const DeprecatedParameter& deprecated : kDeprecatedVariantParameters) {
            if (strcmp(name, deprecated.name) == 0)
                QVI_ShowPopup(QV_LOG_WARNING, deprecated.message);
        }
    }
}

} // namespace

void QVI_CheckVariants(const DataArray* variants)
{
    for (int i = 0; i < variants->nodes.count; ++i) {
        const DataNode* node = variants->nodes.data[i];
        if (!node)
            continue;
        if (node->id)
            ReportDuplicatesOf(variants, i);
        if (node->id && strcmp(node->id, "METRO") == 0)
            QVI_ShowPopup(QV_LOG_WARNING, "Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT.");
        ReportDeprecatedParameters(node);
    }
}

const DataNode* QVI_ChooseVariant(const DataArray* variants, const VariantIds& ids)
{
    // An emptied size-specific id (force_variant) must not find a node without an id.
    if (ids.sizeSpecific.text && ids.sizeSpecific.text[0] != '\0') {
        if (const DataNode* node = variants->FindNode(ids.sizeSpecific.text))
            return node;
    }
    return variants->FindNode(ids.general.text);
}
