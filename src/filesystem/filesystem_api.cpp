#include "filesystem/filesystem_api.h"

#include "filesystem/filesystem_members.h"

void QVI_FillFileSystemAPI(QuavenFileSystemAPI* table)
{
    if (!table)
        return;
    table->AddSearchPath = QV_FileSystem_AddSearchPath;
    table->CloseFile = QV_FileSystem_CloseFile;
    table->CreateDirectory = QV_FileSystem_CreateDirectory;
    table->DeleteDirectory = QV_FileSystem_DeleteDirectory;
    table->DeleteFile = QV_FileSystem_DeleteFile;
    table->FindFiles = QV_FileSystem_FindFiles;
    table->FileExists = QV_FileSystem_FileExists;
    table->FlushFile = QV_FileSystem_FlushFile;
    table->GetFileInfo = QV_FileSystem_GetFileInfo;
    table->GetFilePosition = QV_FileSystem_GetFilePosition;
    table->GetSearchPathCount = QV_FileSystem_GetSearchPathCount;
    table->GetSearchPath = QV_FileSystem_GetSearchPath;
    table->IsPathValid = QV_FileSystem_IsPathValid;
    table->Mount = QV_FileSystem_Mount;
    table->OpenFile = QV_FileSystem_OpenFile;
    table->Read = QV_FileSystem_Read;
    table->RemoveSearchPath = QV_FileSystem_RemoveSearchPath;
    table->IsSearchPath = QV_FileSystem_IsSearchPath;
    table->Seek = QV_FileSystem_Seek;
    table->Unmount = QV_FileSystem_Unmount;
    table->Write = QV_FileSystem_Write;
}
