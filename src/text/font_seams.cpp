#include "platform/windows/win32.h"

#include "text/font_seams.h"

#include "core/missing_member.h"

Font* QV_GetFont(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("GetFont");
    return nullptr;
}

Font* QV_LoadFont(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("LoadFont");
    return nullptr;
}

bool QV_ReloadFont(Font* font)
{
    QVI_REPORT_MISSING_MEMBER("ReloadFont");
    return false;
}

void QV_ReleaseFont(Font* font)
{
    QVI_REPORT_MISSING_MEMBER("ReleaseFont");
}

bool QV_SaveFont(Font* font, const char* path)
{
    QVI_REPORT_MISSING_MEMBER("SaveFont");
    return false;
}

void QVI_InitializeGlobalFont()
{
}
