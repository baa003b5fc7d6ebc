#include "platform/windows/win32.h"

#include "engine/reinit_seams.h"

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
