#include "engine/config/product_value.h"

#include "engine/config/config_files.h"
#include "core/engine_log.h"
#include "core/configuration.h"
#include "data/datamanager/data_manager.h"
#include "quaven/types.h"

const char* QVI_GetProductValue(const char* name)
{
    if (!name)
        return nullptr;
    // Only the copy the configuration reader loaded: asking before it ran must not load
    // (and cache) prog.xml out of turn.
    Database* programXml = DataManager::FindDatabase(kProgramXmlPath);
    if (!programXml)
        return nullptr;

    // Without a VARIANTS array there is no variant to prefer: APPLICATION answers alone.
    if (DataArray* variants = programXml->FindArray("VARIANTS")) {
        DataNode* variant = variants->FindNode(g_config.variantId);
        if (variant) {
            if (const char* value = variant->GetParameter(name))
                return value;
        } else {
            QVI_ReportPopup(QV_LOG_ERROR, "Missing platform variant '%s' in '%s'.",
                            g_config.variantId ? g_config.variantId : "", kProgramXmlPath);
        }
    }
    return programXml->GetParameter("PARAMETERS", "APPLICATION", name);
}
