#include "filesystem/file_system_globals.h"

#include "filesystem/open_files.h"
#include "filesystem/search_paths.h"

void QVI_FreeFileSystemGlobals()
{
    QVI_FreeSearchPaths();
    QVI_FreeOpenFileList();
}
