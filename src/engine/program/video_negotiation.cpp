#include "platform/windows/win32.h"

#include "engine/program/video_negotiation.h"

#include <cstring>

#include "core/engine_log.h"

static_assert(sizeof(EventVideoParametersPayload) == sizeof(EngineEvent::payload),
              "the video parameters payload fills the event's payload");
static_assert(offsetof(EventVideoParametersPayload, api) == 0 && offsetof(EventVideoParametersPayload, video) == 4,
              "the API table at event bytes 4-7, the video parameters at bytes 8-11");

void QVI_OfferVideoParameters(ProgramInterface* record)
{
    if (qv && qv->Log)
        qv->Log("Checking parameters with the program before video init.");
    if (!record || !record->OnEvent)
        return;

    EventVideoParametersPayload payload = {};
    payload.api = qv;
    payload.video = &record->video;
    EngineEvent event = {};
    event.type = EVENT_VIDEO_PARAMETERS;
    memcpy(event.payload, &payload, sizeof payload);
    record->OnEvent(event);
}
