/*
 * Quaven public interface: the virtual file system (API member fileSystem).
 *
 * Paths are URL-like: "res://" (the game's resources), "save://" (the save area,
 * written to disk only on Unmount), "user://", "docs://", "cache://", "logs://",
 * "ugc://" and "http://" (downloaded into cache:// on first use). A path without
 * a scheme is looked up along the search paths, highest priority first, and
 * opens only existing files. Valid paths are shorter than 512 characters, use
 * '/' only, contain no ".." or "//", and are made of letters, digits, space and
 * "()-./@_" (see IsPathValid). Misuse is reported through LogPopup at WARNING
 * level; members given a null handle do nothing and answer 0.
 */
#ifndef QUAVEN_FILESYSTEM_H
#define QUAVEN_FILESYSTEM_H

#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* Time stamps of a file: seconds since 1970-01-01 UTC, low 32 bits. */
typedef struct FileInfo {
    uint32_t created;
    uint32_t modified;
    uint32_t accessed;
} FileInfo;

QUAVEN_ASSERT_SIZE(FileInfo, 12);
QUAVEN_ASSERT_OFFSET(FileInfo, created, 0);
QUAVEN_ASSERT_OFFSET(FileInfo, modified, 4);
QUAVEN_ASSERT_OFFSET(FileInfo, accessed, 8);

/* Seek origins. */
enum {
    QV_SEEK_SET = 0, /* from the start */
    QV_SEEK_CUR = 1, /* from the current position */
    QV_SEEK_END = 2  /* from the end */
};

typedef struct QuavenFileSystemAPI {
    /* Adds a docs://, res:// or ugc:// folder to the search paths: first at the
     * highest priority, else at the lowest. Adding a known path moves it. */
    void (*AddSearchPath)(const char* path, bool first);
    /* Closes the file and frees the handle. */
    void (*CloseFile)(FileHandle* file);
    /* Creates a folder (a scheme is required). */
    bool (*CreateDirectory)(const char* path);
    /* Deletes an empty folder; recursive deletion is refused. */
    bool (*DeleteDirectory)(const char* path, bool recursive);
    bool (*DeleteFile)(const char* path);
    /* Lists files matching the wildcards (patterns such as "*.xml" separated by
     * ';') below a docs://, res:// or ugc:// folder, or below every search path
     * for a path without a scheme ("" for their roots). Never null: the game
     * owns the list and releases it with the API member FreeStringList. */
    StringList* (*FindFiles)(const char* path, const char* wildcards, bool recursive);
    bool (*FileExists)(const char* path);
    int (*FlushFile)(FileHandle* file);
    /* Fills info with the file's time stamps (docs://, res://, ugc:// or search paths). */
    bool (*GetFileInfo)(const char* path, FileInfo* info);
    int (*GetFilePosition)(FileHandle* file);
    int (*GetSearchPathCount)(void);
    /* The search path at index (0 is the highest priority), or null. The text
     * belongs to the engine. */
    const char* (*GetSearchPath)(int index);
    bool (*IsPathValid)(const char* path);
    /* Mounts the save area: name "save", user 0 to 3. */
    bool (*Mount)(const char* name, int user);
    /* Opens a file. Mode by its first character: 'r' read, 'w' write, 'a' append.
     * Null when the file cannot be opened. Close it with CloseFile. */
    FileHandle* (*OpenFile)(const char* path, const char* mode);
    /* Reads up to size bytes; answers the bytes read. */
    int (*Read)(void* buffer, int size, FileHandle* file);
    void (*RemoveSearchPath)(const char* path);
    bool (*IsSearchPath)(const char* path);
    /* Moves the file position (origin QV_SEEK_SET, QV_SEEK_CUR or QV_SEEK_END). */
    int (*Seek)(FileHandle* file, int offset, int origin);
    /* Unmounts the save area ("save"), writing its contents to disk. */
    void (*Unmount)(const char* name);
    /* Writes size bytes; answers the bytes written. */
    int (*Write)(const void* buffer, int size, FileHandle* file);
} QuavenFileSystemAPI;

QUAVEN_ASSERT_SIZE(QuavenFileSystemAPI, 21 * 4);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, AddSearchPath, 0);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, CloseFile, 1);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, CreateDirectory, 2);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, DeleteDirectory, 3);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, DeleteFile, 4);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, FindFiles, 5);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, FileExists, 6);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, FlushFile, 7);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, GetFileInfo, 8);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, GetFilePosition, 9);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, GetSearchPathCount, 10);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, GetSearchPath, 11);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, IsPathValid, 12);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, Mount, 13);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, OpenFile, 14);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, Read, 15);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, RemoveSearchPath, 16);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, IsSearchPath, 17);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, Seek, 18);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, Unmount, 19);
QUAVEN_ASSERT_SLOT(QuavenFileSystemAPI, Write, 20);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_FILESYSTEM_H */
