// The executable's icon group offers the window's large and small icon. (The value dialog
// templates are run for real by the dialog's own tests.)
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/windows/resources/resource.h"

namespace {

TEST(ApplicationIcon, LoadsAtTheWindowsIconSizes) {
    for (int size : {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON)}) {
        HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUAVEN_ICON), IMAGE_ICON, size,
                                 size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

}  // namespace
