#include "core/missing_member.h"

#include "core/engine_log.h"

void QVI_ReportMissingMember(MissingMember* member)
{
    if (!member)
        return;
    // Claimed before logging so that two threads never both report; given back when
    // logging has not started yet, so that the notice is not lost for good.
    if (!__sync_bool_compare_and_swap(&member->reported, 0, 1))
        return;
    const int written = qv->LogEx ? qv->LogEx(QV_LOG_WARNING, "qv->%s is not available yet.", member->name) : 0;
    if (written == 0)
        __atomic_store_n(&member->reported, 0, __ATOMIC_SEQ_CST);
}

void QVI_ReportMissingRendererStep(MissingRendererStep* step)
{
    if (step->reported)
        return;
    step->reported = true;
    QVI_Report(QV_LOG_WARNING, "Renderer set-up: %s is not available yet.", step->what);
}
