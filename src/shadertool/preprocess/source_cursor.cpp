#include "shadertool/preprocess/source_cursor.h"

#include <cstring>

namespace ShaderTool {

int SourceCursor::Get()
{
    if (position >= length || position < 0) {
        canUnget_ = false;
        return 0;
    }
    previousPosition_ = position;
    previousColumn_ = column;
    previousLine_ = line;
    previousTabs_ = tabs;
    canUnget_ = true;

    int c = static_cast<unsigned char>(Characters()[position]);
    ++position;
    ++column;
    if (c == '\t')
        ++tabs;
    if (c == '\n') {
        ++line;
        column = 1;
        tabs = 0;
    }
    return c;
}

void SourceCursor::Unget()
{
    if (!canUnget_)
        return;
    position = previousPosition_;
    column = previousColumn_;
    line = previousLine_;
    tabs = previousTabs_;
    canUnget_ = false;
}

int SourceCursor::Peek() const
{
    return PeekAt(0);
}

int SourceCursor::PeekAt(int32_t offset) const
{
    int64_t at = static_cast<int64_t>(position) + offset;
    if (at < 0 || at >= length)
        return 0;
    return static_cast<unsigned char>(Characters()[at]);
}

void SourceCursor::Measure()
{
    size_t measured = text && text->text ? strlen(text->text) : 0;
    length = measured > INT32_MAX ? INT32_MAX : static_cast<int32_t>(measured);
    if (position > length)
        position = length;
}

} // namespace ShaderTool
