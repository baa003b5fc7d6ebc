#include <windows.h>

#include "core/api_seams/reinit_seams.h"

#include "core/api_seams/missing_member.h"

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
