#include "data/datamanager/database_file_reading.h"

#include "core/engine_log.h"
#include "core/byte_buffer.h"

bool QVI_ReadRestOfFile(FileHandle* file, ByteBuffer* out)
{
    if (!file || !out || !qv->fileSystem)
        return false;
    const int sizeBefore = out->size;
    // Reads until the file gives nothing more rather than trusting the size taken at
    // opening, which a writer may have changed since.
    uint8_t chunk[16384];
    for (;;) {
        int got = qv->fileSystem->Read(chunk, static_cast<int>(sizeof(chunk)), file);
        if (got <= 0)
            return true;
        if (got > static_cast<int>(sizeof(chunk)))
            got = static_cast<int>(sizeof(chunk));
        int sizeWas = out->size;
        out->WriteBytes(chunk, got);
        if (out->size != sizeWas + got) {
            out->size = sizeBefore;
            return false;
        }
    }
}
