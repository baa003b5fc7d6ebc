#include "platform/windows/cursors/accounts_event.h"

#include <cstring>

#include "core/events/event_queue.h"

void QVI_PostAccountsEvent(int value)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_ACCOUNTS);
    EventAccountsPayload accounts;
    memset(&accounts, 0, sizeof accounts);
    accounts.value = value;
    memcpy(event.payload, &accounts, sizeof accounts);
    QVI_QueueEvent(&event);
}
