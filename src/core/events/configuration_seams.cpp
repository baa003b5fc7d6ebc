#include "core/events/configuration_seams.h"

#include <atomic>

#include "core/events/events_log.h"

namespace {

std::atomic<bool> hasFeatureReported{false};
std::atomic<bool> productValueReported{false};

void ReportOnce(std::atomic<bool>& reported, const char* member)
{
    if (!reported.exchange(true))
        QVI_EventsLog(QV_LOG_WARNING, "%s is not available yet.", member);
}

}  // namespace

bool QV_HasFeature(const char* name)
{
    ReportOnce(hasFeatureReported, "QV_HasFeature");
    return false;
}

const char* QV_GetProductValue(const char* name)
{
    ReportOnce(productValueReported, "QV_GetProductValue");
    return nullptr;
}
