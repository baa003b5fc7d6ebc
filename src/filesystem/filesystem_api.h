#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "quaven/filesystem.h"
#include "quaven/types.h"

// Fills the 21 members of the file-system sub-table, in their fixed order, with
// the engine's file-system members (QV_FileSystem_AddSearchPath ...
// QV_FileSystem_Write). The API table's fileSystem pointer is pointed at the
// table filled here.
void QVI_FillFileSystemAPI(QuavenFileSystemAPI* table);

// The members of the API table's file-system sub-table, in slot order. Misuse is
// reported through LogPopup at WARNING level ("File System <member>: ...").
void QV_FileSystem_AddSearchPath(const char* path, bool first);
void QV_FileSystem_CloseFile(FileHandle* handle);
bool QV_FileSystem_CreateDirectory(const char* path);
bool QV_FileSystem_DeleteDirectory(const char* path, bool recursive);
bool QV_FileSystem_DeleteFile(const char* path);
StringList* QV_FileSystem_FindFiles(const char* path, const char* wildcards, bool recursive);
bool QV_FileSystem_FileExists(const char* path);
int QV_FileSystem_FlushFile(FileHandle* handle);
bool QV_FileSystem_GetFileInfo(const char* path, FileInfo* info);
int QV_FileSystem_GetFilePosition(FileHandle* handle);
int QV_FileSystem_GetSearchPathCount();
const char* QV_FileSystem_GetSearchPath(int index);
bool QV_FileSystem_IsPathValid(const char* path);
bool QV_FileSystem_Mount(const char* name, int user);
FileHandle* QV_FileSystem_OpenFile(const char* path, const char* mode);
int QV_FileSystem_Read(void* buffer, int size, FileHandle* handle);
void QV_FileSystem_RemoveSearchPath(const char* path);
bool QV_FileSystem_IsSearchPath(const char* path);
int QV_FileSystem_Seek(FileHandle* handle, int offset, int origin);
void QV_FileSystem_Unmount(const char* name);
int QV_FileSystem_Write(const void* buffer, int size, FileHandle* handle);

// OpenFile's checks of a path opened to be written, reported under member as OpenFile reports
// them: the path is valid, and not under res:// while res:// is not writable.
bool QVI_IsWritablePath(const char* member, const char* path);

// Held around the look-ups that answer one question (a file found along the search paths,
// then opened; a font's source and TrueType files): within it a thread looks for a missing
// archive once, where each look-up would look for it again. An archive that appears while
// one is held is taken up by the thread's next question.
class ArchiveLookupScope {
public:
    ArchiveLookupScope();
    ~ArchiveLookupScope();
    ArchiveLookupScope(const ArchiveLookupScope&) = delete;
    ArchiveLookupScope& operator=(const ArchiveLookupScope&) = delete;
};

// The native path of the file FileExists finds (along the search paths for a path without a
// scheme), checked and reported as FileExists checks it; "" when there is none. One lookup
// gives both the answer and the path a native library opens.
String QVI_FindExistingNativePath(const char* path);

// A StringList for the program holding heap copies of the texts, in order. Never null
// unless memory runs out; an empty list has no item array.
StringList* QVI_NewStringList(const Array<String>& texts);

// API member FreeStringList: frees every item that is not null, then the item array,
// then the list record. Null is ignored.
void QV_FreeStringList(StringList* list);
