#include "engine/config/configuration_seams.h"

#include "core/configuration.h"
#include "engine/config/product_value.h"

bool QV_HasFeature(const char* name)
{
    return QVI_HasFeature(name);
}

const char* QV_GetProductValue(const char* name)
{
    return QVI_GetProductValue(name);
}
