#pragma once

#include "core/engine_string.h"

// The Windows special folder (SHGetFolderPathA, created when missing), with '/'
// separators; "" when Windows cannot answer. 5 is the documents folder, 26 the
// per-user application-data folder.
String QVI_GetSpecialFolderPath(int folderId);

// Sets the default roots (docs: documents folder; res: the executable's folder;
// user: the application-data folder; http: "http://"; all others "") and makes the
// current roots copies of them. True when the per-user folder is known.
bool QVI_InitBasePaths();

// The folder names under the per-user folder: the developer name as it is ("Kelmark"
// when empty) and the title with every character but ASCII letters, digits and '-'
// made '_' ("unknown" when empty).
String QVI_GetDeveloperFolderName(const char* developerName);
String QVI_GetTitleFolderName(const char* title);

// Start-up, once the configuration names the developer and the title: creates the
// per-user folder "<application data>/<developer>/<title>" and makes it the user://
// root; cache:// and logs:// become its "cache" and "logs" folders, and docs:// and
// save:// its "documents" and "save" folders unless something already moved their
// roots away from the defaults. Creates user://cache, user://logs and (when docs:// is
// not moved) user://documents. False when the per-user folder is unknown (the roots
// then stay as they were) or a folder could not be created.
bool QVI_SetUpUserFolders(const char* developerName, const char* title);
