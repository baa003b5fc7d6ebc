#include "platform/reader_writer_lock.h"

#include "platform/windows/win32.h"

// A slim reader/writer lock is one pointer, zero when free (SRWLOCK_INIT), so the seam's
// zeroed record is one without start-up or exit code.
static_assert(sizeof(OsReaderWriterLock) == sizeof(SRWLOCK), "the seam's lock must be an SRWLOCK");
static_assert(alignof(OsReaderWriterLock) >= alignof(SRWLOCK), "the seam's lock must be an SRWLOCK");

namespace {

PSRWLOCK SlimLock(OsReaderWriterLock* lock)
{
    return reinterpret_cast<PSRWLOCK>(lock);
}

}  // namespace

void QVI_OsEnterExclusive(OsReaderWriterLock* lock)
{
    AcquireSRWLockExclusive(SlimLock(lock));
}

void QVI_OsLeaveExclusive(OsReaderWriterLock* lock)
{
    ReleaseSRWLockExclusive(SlimLock(lock));
}

void QVI_OsEnterShared(OsReaderWriterLock* lock)
{
    AcquireSRWLockShared(SlimLock(lock));
}

void QVI_OsLeaveShared(OsReaderWriterLock* lock)
{
    ReleaseSRWLockShared(SlimLock(lock));
}
