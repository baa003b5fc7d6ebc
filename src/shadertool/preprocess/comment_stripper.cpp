#include "shadertool/preprocess/comment_stripper.h"

#include "shadertool/preprocess/text_builder.h"

namespace ShaderTool {

namespace {

enum StripState { kPlain, kBlockComment, kLineComment };

} // namespace

String StripComments(const char* text)
{
    TextBuilder stripped;
    String result;
    if (!text)
        return result;

    StripState state = kPlain;
    const char* plainStart = text;   // start of the pending plain run
    const char* p = text;
    while (*p) {
        char c = *p;
        if (state == kPlain) {
            if (c == '/' && (p[1] == '*' || p[1] == '/')) {
                stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));
                stripped.Append("  ", 2);
                state = p[1] == '*' ? kBlockComment : kLineComment;
                p += 2;
                continue;
            }
            if (c == '\r') {
                stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));
                ++p;
                plainStart = p;
                continue;
            }
            ++p;
            continue;
        }
        if (state == kBlockComment) {
            if (c == '*' && p[1] == '/') {
                stripped.Append("  ", 2);
                p += 2;
                state = kPlain;
                plainStart = p;
                continue;
            }
            if (c == '\t' || c == '\n')
                stripped.AppendChar(c);
            else if (c != '\r')
                stripped.AppendChar(' ');
            ++p;
            continue;
        }
        // Line comment: the line feed stays and starts the next plain run.
        if (c == '\n') {
            state = kPlain;
            plainStart = p;
            continue;
        }
        ++p;
    }
    if (state == kPlain)
        stripped.Append(plainStart, static_cast<int32_t>(p - plainStart));

    stripped.MoveInto(result);
    return result;
}

} // namespace ShaderTool
