#include <windows.h>

#include "core/api_seams/missing_member.h"

#include "core/api_pointer.h"

void QVI_ReportMissingMember(MissingMember* member)
{
    if (!member)
        return;
    // Claimed before logging so that two threads never both report; given back when
    // logging has not started yet, so that the notice is not lost for good.
    if (InterlockedCompareExchange(&member->reported, 1, 0) != 0)
        return;
    const int written = qv->LogEx ? qv->LogEx(kMissingMemberLevel, "qv->%s is not available yet.", member->name) : 0;
    if (written == 0)
        InterlockedExchange(&member->reported, 0);
}
