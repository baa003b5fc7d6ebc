// Display re-initialisation until it arrives: the member reports once that it is not
// available and schedules nothing, so none is ever pending.
#include "engine/reinitialization.h"

#include "core/missing_member.h"

bool QV_ReinitializeWithParameters(VideoParameters parameters)
{
    QVI_REPORT_MISSING_MEMBER("ReinitializeWithParameters");
    return false;
}

bool QVI_IsReinitPending()
{
    return false;
}

void QVI_ApplyPendingReinit()
{
}
