#include "core/config/features.h"

#include "core/config/program_configuration.h"
#include "core/cstring_utils.h"

bool QVI_HasFeature(const char* name)
{
    return QVI_HasToken(g_config.applicationFeatures, name) || QVI_HasToken(g_config.variantFeatures, name);
}
