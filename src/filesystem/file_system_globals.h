#pragma once

// Process exit: releases the search-path list (with its interned texts) and the
// open-file list. Handles still open are not closed.
void QVI_FreeFileSystemGlobals();
