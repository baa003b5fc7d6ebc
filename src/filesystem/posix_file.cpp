#include "filesystem/posix_file.h"

namespace QVFileSystem {

POSIXFile::~POSIXFile()
{
    if (stream)
        fclose(stream);
}

int POSIXFile::Flush()
{
    return stream ? fflush(stream) : 0;
}

uint32_t POSIXFile::Tell()
{
    if (!stream)
        return 0;
    long position = ftell(stream);
    return position < 0 ? 0 : static_cast<uint32_t>(position);
}

uint32_t POSIXFile::Read(void* buffer, uint32_t bytes)
{
    if (!stream || !buffer || bytes == 0)
        return 0;
    return static_cast<uint32_t>(fread(buffer, 1, bytes, stream));
}

int POSIXFile::Seek(int32_t offset, int32_t origin)
{
    // The C runtime may treat an unknown origin as a fatal invalid parameter.
    if (!stream || origin < SEEK_SET || origin > SEEK_END)
        return -1;
    return fseek(stream, offset, origin);
}

uint32_t POSIXFile::Write(const void* buffer, uint32_t bytes)
{
    if (!stream || !buffer || bytes == 0 || !writable)
        return 0;
    return static_cast<uint32_t>(fwrite(buffer, 1, bytes, stream));
}

} // namespace QVFileSystem
