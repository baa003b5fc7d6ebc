#include "engine/api_table.h"

#include "console/console.h"
#include "core/engine_log.h"
#include "core/engine_time.h"
#include "engine/config/configuration_reader.h"
#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "engine/platform_command.h"
#include "engine/reinitialization.h"
#include "filesystem/filesystem_api.h"
#include "graphics/graphics_api.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/renderer_setup_hooks.h"
#include "filesystem/http_system.h"
#include "net/http_api.h"
#include "net/http_client.h"
#include "platform/windows/desktop/desktop_services.h"
#include "services/services_api.h"
#include "sound/sound_api.h"
#include "text/text_api.h"

namespace {

// Written only on the main thread during pre-initialisation; read-only afterwards.
QuavenFileSystemAPI g_fileSystemTable;

void FillLoggingTimeAndThreads(QuavenAPI* api)
{
    api->Log = QV_Log;
    api->LogEx = QV_LogEx;
    api->LogPopup = QV_LogPopup;
    api->AddConsoleCommand = QV_AddConsoleCommand;

    api->Sleep = QV_Sleep;
    api->GetMilliseconds = QV_GetMilliseconds;
    api->GetCalendarTime = QV_GetCalendarTime;
    api->TimeToDateTime = QV_TimeToDateTime;
    api->GetDateTime = QV_GetDateTime;

    api->CreateMutex = QV_CreateMutex;
    api->DestroyMutex = QV_DestroyMutex;
    api->LockMutex = QV_LockMutex;
    api->UnlockMutex = QV_UnlockMutex;
    api->CreateThread = QV_CreateThread;
    api->GetThreadId = QV_GetThreadId;
    api->IsMainThread = QV_IsMainThread;
    api->LockMainLoop = QV_LockMainLoop;
    api->UnlockMainLoop = QV_UnlockMainLoop;
    api->IsMainLoopLocked = QV_IsMainLoopLocked;
}

void FillFontsAndPlatform(QuavenAPI* api)
{
    api->GetFont = QV_GetFont;
    api->LoadFont = QV_LoadFont;
    api->ReloadFont = QV_ReloadFont;
    api->ReleaseFont = QV_ReleaseFont;
    api->SaveFont = QV_SaveFont;

    api->SetMouseCursor = QV_SetMouseCursor;
    api->RequestShutdown = QV_RequestShutdown;
    api->IsShuttingDown = QV_IsShuttingDown;
    api->HasFeature = QV_HasFeature;
    api->GetProductValue = QV_GetProductValue;
    api->ReinitializeWithParameters = QV_ReinitializeWithParameters;
    api->PlatformCommand = QV_PlatformCommand;
    api->FreeStringList = QV_FreeStringList;
}

void FillHttpMemoryAndEvents(QuavenAPI* api)
{
    api->HTTPRequest = QV_HTTPRequest;
    api->HTTPRequestEx = QV_HTTPRequestEx;
    api->CreateBuffer = QV_CreateBuffer;
    api->FreeBuffer = QV_FreeBuffer;
    // The http:// back end and the bitmap loader sit below the client.
    QVI_SetHTTPRequestFunction(QVI_HTTPRequest);
    api->Malloc = QV_Malloc;
    api->Free = QV_Free;

    api->PostEvent = QV_PostEvent;
    api->InitEvent = QV_InitEvent;
    api->GetKey = QV_GetKey;
    api->SetKey = QV_SetKey;
    api->GetAxis = QV_GetAxis;
    api->SetAxis = QV_SetAxis;
}

void FillSounds(QuavenAPI* api)
{
    api->GetSound = QV_GetSound;
    api->GetSoundEx = QV_GetSoundEx;
    api->LoadSound = QV_LoadSound;
    api->AddSoundRef = QV_AddSoundRef;
    api->ReleaseSound = QV_ReleaseSound;
    api->SetMasterVolume = QV_SetMasterVolume;
    api->PlaySound = QV_PlaySound;
    api->PlaySoundEx = QV_PlaySoundEx;
    api->StopChannel = QV_StopChannel;
    api->SetChannelPan = QV_SetChannelPan;
    api->SetChannelVolume = QV_SetChannelVolume;
    api->SetChannelPaused = QV_SetChannelPaused;
    api->SetChannelLooping = QV_SetChannelLooping;
    api->SetChannelPitch = QV_SetChannelPitch;
    api->IsChannelPlaying = QV_IsChannelPlaying;
    api->GetChannelSound = QV_GetChannelSound;
    api->FadeChannelVolume = QV_FadeChannelVolume;
    api->FadeOutChannel = QV_FadeOutChannel;
    api->PlayMusic = QV_PlayMusic;
    api->StopMusic = QV_StopMusic;
    api->SetMusicPaused = QV_SetMusicPaused;
    api->SetMusicLooping = QV_SetMusicLooping;
    api->GetCurrentMusic = QV_GetCurrentMusic;
    api->SlideMusicVolume = QV_SlideMusicVolume;
}

void FillText(QuavenAPI* api)
{
    api->SetTextAlignment = QV_SetTextAlignment;
    api->GetTextAlignment = QV_GetTextAlignment;
    api->SetTextMaxWidth = QV_SetTextMaxWidth;
    api->SetTextScale = QV_SetTextScale;
    api->DrawText = QV_DrawText;
    api->MeasureText = QV_MeasureText;
    api->GetTextWidth = QV_GetTextWidth;
    api->GetTextHeight = QV_GetTextHeight;
}

// Renderer set-up sits below text and cannot call it.
void GiveRendererSetupTheTextSteps()
{
    QVI_SetTextDeviceSteps(TextDeviceSteps{QVI_RecreateFontAtlases, QVI_ReuploadGlyphCache,
                                           QVI_ReleaseFontShaderAndGlyphData});
}

}  // namespace

void QVI_FillAPI(QuavenAPI* api)
{
    if (!api)
        return;
    FillLoggingTimeAndThreads(api);
    FillFontsAndPlatform(api);
    FillHttpMemoryAndEvents(api);
    FillSounds(api);
    FillText(api);
    QVI_InstallPlatformCommandServices();

    QVI_FillServicesAPI(api);
    QVI_FillDrawAPI(api);
    QVI_FillFileSystemAPI(&g_fileSystemTable);
    api->fileSystem = &g_fileSystemTable;
    QVI_FillGraphicsAPI(api);
    GiveRendererSetupTheTextSteps();
}
