#include "platform/windows/win32.h"

#include "engine/program/placeholder_program.h"

#include "core/engine_log.h"

namespace {

bool PlaceholderInit()
{
    return true;
}

void PlaceholderExit() {}

void PlaceholderUpdate(float) {}

// Leaves the overlay drawing state as the overlays expect it: opaque white, alpha
// blending, and a green screen that shows nothing is running.
void PlaceholderRender(float)
{
    const QuavenGraphicsAPI* graphics = qv ? qv->graphics : nullptr;
    if (!graphics)
        return;
    const float one = 1.0f;
    if (graphics->SetAlpha)
        graphics->SetAlpha(&one);
    if (graphics->SetColor)
        graphics->SetColor(&one, &one, &one);
    if (graphics->SetBlendMode)
        graphics->SetBlendMode(1);
    if (graphics->ClearColor)
        graphics->ClearColor(0.0f, 1.0f, 0.0f);
}

int PlaceholderOnEvent(EngineEvent)
{
    return 0;
}

} // namespace

void QVI_MakePlaceholderProgram(ProgramInterface* record)
{
    *record = ProgramInterface{};
    record->interface_version = QUAVEN_INTERFACE_VERSION;
    record->video.windowed = 1;
    record->video.developer_mode = 1;
    record->Init = PlaceholderInit;
    record->Exit = PlaceholderExit;
    record->Update = PlaceholderUpdate;
    record->Render = PlaceholderRender;
    record->OnEvent = PlaceholderOnEvent;
}
