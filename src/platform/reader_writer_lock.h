#pragma once

// A lock that many readers hold at once and one writer alone. A zeroed lock is ready to use
// and needs no undoing, so one at namespace scope ("OsReaderWriterLock lock = {};") is
// constant-initialised: usable at any point of the process's life, before start-up code and
// after exit code. Not recursive: a thread that holds it must not take it again.
struct OsReaderWriterLock {
    void* state;  // the OS's; only the functions below touch it
};

void QVI_OsEnterExclusive(OsReaderWriterLock* lock);
void QVI_OsLeaveExclusive(OsReaderWriterLock* lock);
void QVI_OsEnterShared(OsReaderWriterLock* lock);
void QVI_OsLeaveShared(OsReaderWriterLock* lock);
