#include "core/logging/log_level.h"

#include "quaven/types.h"

const char* QVI_GetLogLevelName(int level)
{
    switch (level) {
    case QV_LOG_INFO:
        return "INFO";
    case QV_LOG_WARNING:
        return "WARNING";
    case QV_LOG_ERROR:
        return "ERROR";
    case QV_LOG_SYSTEM:
        return "SYSTEM";
    default:
        return "UNKNOWN";
    }
}

int QVI_ClampLogLevel(int level)
{
    if (level < 0 || level >= kLogLevelSlots)
        return QV_LOG_ERROR;
    return level;
}
