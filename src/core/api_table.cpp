// Windows headers first: some member names are <windows.h> macros as well.
#include <windows.h>

#include "core/api_table.h"

#include "core/engine_time.h"
#include "core/events/configuration_seams.h"
#include "core/events/engine_heap.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "core/events/program_requests.h"
#include "core/locks.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/string_list.h"

namespace {
QuavenFileSystemAPI fileSystemTable;
}

void QVI_FillAPI(QuavenAPI* api)
{
    api->Log = QV_Log;
    api->LogEx = QV_LogEx;
    api->LogPopup = QV_LogPopup;

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

    api->RequestShutdown = QV_RequestShutdown;
    api->IsShuttingDown = QV_IsShuttingDown;
    api->HasFeature = QV_HasFeature;
    api->GetProductValue = QV_GetProductValue;
    api->FreeStringList = QV_FreeStringList;

    api->Malloc = QV_Malloc;
    api->Free = QV_Free;
    api->PostEvent = QV_PostEvent;
    api->InitEvent = QV_InitEvent;
    api->GetKey = QV_GetKey;
    api->SetKey = QV_SetKey;
    api->GetAxis = QV_GetAxis;
    api->SetAxis = QV_SetAxis;

    QVI_FillFileSystemAPI(&fileSystemTable);
    api->fileSystem = &fileSystemTable;
}
