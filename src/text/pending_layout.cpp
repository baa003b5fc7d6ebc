// Stand-ins of text layout and drawing until they land.
#include "text/text_api.h"
#include "text/layout/text_layout.h"

#include "core/missing_member.h"

void QV_SetTextAlignment(const uint32_t* alignment)
{
    QVI_REPORT_MISSING_MEMBER("SetTextAlignment");
}

uint32_t QV_GetTextAlignment()
{
    QVI_REPORT_MISSING_MEMBER("GetTextAlignment");
    return 0;
}

void QV_SetTextMaxWidth(const float* width)
{
    QVI_REPORT_MISSING_MEMBER("SetTextMaxWidth");
}

void QV_SetTextScale(const float* x, const float* y, const float* angle)
{
    QVI_REPORT_MISSING_MEMBER("SetTextScale");
}

float QV_DrawText(Font* font, const float* x, const float* y, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("DrawText");
    return 0.0f;
}

void QV_MeasureText(Font* font, float* width, float* height, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("MeasureText");
    // A game that measures before drawing reads these back: they must not stay undefined.
    if (width)
        *width = 0.0f;
    if (height)
        *height = 0.0f;
}

float QV_GetTextWidth(Font* font, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("GetTextWidth");
    return 0.0f;
}

float QV_GetTextHeight(Font* font, const char* format, ...)
{
    QVI_REPORT_MISSING_MEMBER("GetTextHeight");
    return 0.0f;
}
