#include "filesystem/file_system_messages.h"

#include "quaven/types.h"

namespace {

// Texts quoted in messages may be null when the caller passed null.
const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

} // namespace

void QVI_ReportInvalidPath(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: path '%s' is invalid, see IsPathValid() for more info.", member,
                    Printable(path));
}

void QVI_ReportInvalidPrefix(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: path prefix is invalid in path '%s', see %s() for more info.",
                    member, Printable(path), member);
}

void QVI_ReportNotWritable(const char* member, const char* path)
{
    QVI_ReportPopup(QV_LOG_WARNING, "File System %s: attempted to modify path '%s', which is not writable.", member,
                    Printable(path));
}
