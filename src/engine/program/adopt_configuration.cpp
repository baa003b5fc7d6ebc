#include "platform/windows/win32.h"

#include "engine/program/adopt_configuration.h"

#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/program/command_line.h"

void QVI_AdoptProgramConfiguration(ProgramInterface* record)
{
    if (!record)
        return;
    const ProgramInterface program = *record;
    ProgramInterface& defaults = g_config.defaultRecord;
    defaults.video.developer_mode = program.video.developer_mode;

    *record = defaults;
    record->interface_version = program.interface_version;
    record->Init = program.Init;
    record->Exit = program.Exit;
    record->Update = program.Update;
    record->Render = program.Render;
    record->OnEvent = program.OnEvent;

    g_core.settings = record;
    record->video.command_line = QVI_GetCommandLineCopy();
}
