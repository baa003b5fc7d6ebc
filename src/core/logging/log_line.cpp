#include "core/logging/log_line.h"

#include <cstdlib>

void QVI_FreeLogLineTexts(LogLine* line)
{
    if (!line)
        return;
    free(line->text);
    free(line->threadName);
    line->text = nullptr;
    line->threadName = nullptr;
}
