// The executable's resources: the value-editing dialog templates must have exactly the
// layout and styles the dialog procedure and the engine's commands rely on, and the
// icon group must offer the window's large and small icon.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/resources/resource.h"

namespace {

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_FIXEDSYS;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEditStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL;
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;

struct DialogItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classAtom = 0;
    std::string text;
};

struct DialogTemplate {
    WORD version = 0, signature = 0;
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string title, font;
    WORD pointSize = 0;
    std::vector<DialogItem> items;
};

// Reads an extended dialog template, refusing anything that runs past the resource.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool Read(DialogTemplate* out) {
        WORD count = 0;
        DWORD helpId = 0, exStyle = 0;
        if (!Get(&out->version) || !Get(&out->signature) || !Get(&helpId) || !Get(&exStyle) ||
            !Get(&out->style) || !Get(&count))
            return false;
        short x = 0, y = 0;
        std::string menu, windowClass;
        WORD ignoredAtom = 0;
        if (!Get(&x) || !Get(&y) || !Get(&out->cx) || !Get(&out->cy) || !NameOrAtom(&menu, &ignoredAtom) ||
            !NameOrAtom(&windowClass, &ignoredAtom) || !Text(&out->title))
            return false;
        WORD weight = 0;
        BYTE italic = 0, charset = 0;
        if (!Get(&out->pointSize) || !Get(&weight) || !Get(&italic) || !Get(&charset) || !Text(&out->font))
            return false;
        for (WORD i = 0; i < count; ++i) {
            DialogItem item;
            WORD extra = 0;
            if (!Align() || !Get(&helpId) || !Get(&exStyle) || !Get(&item.style) || !Get(&item.x) ||
                !Get(&item.y) || !Get(&item.cx) || !Get(&item.cy) || !Get(&item.id) ||
                !NameOrAtom(nullptr, &item.classAtom) || !NameOrAtom(&item.text, nullptr) || !Get(&extra) ||
                !Skip(extra))
                return false;
            out->items.push_back(item);
        }
        return true;
    }

private:
    template <typename T>
    bool Get(T* value) {
        if (size_ - pos_ < sizeof(T)) return false;
        memcpy(value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool Skip(size_t bytes) {
        if (size_ - pos_ < bytes) return false;
        pos_ += bytes;
        return true;
    }
    bool Align() { return Skip((4 - pos_ % 4) % 4); }
    bool Text(std::string* text) {
        for (WORD c = 0;;) {
            if (!Get(&c)) return false;
            if (!c) return true;
            text->push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
    }
    bool NameOrAtom(std::string* name, WORD* atom) {
        WORD first = 0;
        if (size_ - pos_ < 2) return false;
        memcpy(&first, data_ + pos_, 2);
        if (first == 0xFFFF) {
            pos_ += 2;
            WORD value = 0;
            if (!Get(&value)) return false;
            if (atom) *atom = value;
            return true;
        }
        std::string ignored;
        return Text(name ? name : &ignored);
    }

    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool LoadDialogTemplate(int id, DialogTemplate* out) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    return TemplateReader(static_cast<const BYTE*>(data), SizeofResource(module, found)).Read(out);
}

void ExpectButton(const DialogItem& item, DWORD id, const char* text, short x, short y) {
    EXPECT_EQ(item.id, id);
    EXPECT_EQ(item.classAtom, kButtonAtom);
    EXPECT_EQ(item.text, text);
    EXPECT_EQ(item.style, kButtonStyle) << text;
    EXPECT_EQ(item.x, x) << text;
    EXPECT_EQ(item.y, y) << text;
    EXPECT_EQ(item.cx, 50) << text;
    EXPECT_EQ(item.cy, 14) << text;
}

void ExpectCommonDialogHeader(const DialogTemplate& dialog) {
    EXPECT_EQ(dialog.version, 1);          // extended template
    EXPECT_EQ(dialog.signature, 0xFFFF);
    EXPECT_EQ(dialog.style, kDialogStyle);
    EXPECT_EQ(dialog.title, "Edit Value");
    EXPECT_EQ(dialog.font, "MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
}

TEST(ValueDialogTemplates, SingleLineTemplateLetsEnterPressOk) {
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(IDD_EDIT_VALUE, &dialog));
    ExpectCommonDialogHeader(dialog);
    EXPECT_EQ(dialog.cx, 317);
    EXPECT_EQ(dialog.cy, 181);
    ASSERT_EQ(dialog.items.size(), 3u);
    ExpectButton(dialog.items[0], IDOK, "OK", 7, 161);
    ExpectButton(dialog.items[1], IDCANCEL, "Cancel", 260, 161);
    const DialogItem& edit = dialog.items[2];
    EXPECT_EQ(edit.id, static_cast<DWORD>(IDC_EDIT_VALUE_TEXT));
    EXPECT_EQ(edit.classAtom, kEditAtom);
    EXPECT_EQ(edit.style, kEditStyle);  // no ES_WANTRETURN: Enter goes to OK
    EXPECT_EQ(edit.x, 7);
    EXPECT_EQ(edit.y, 7);
    EXPECT_EQ(edit.cx, 303);
    EXPECT_EQ(edit.cy, 150);
}

TEST(ValueDialogTemplates, MultiLineTemplateKeepsEnterForNewLines) {
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(IDD_EDIT_VALUE_MULTILINE, &dialog));
    ExpectCommonDialogHeader(dialog);
    EXPECT_EQ(dialog.cx, 373);
    EXPECT_EQ(dialog.cy, 226);
    ASSERT_EQ(dialog.items.size(), 3u);
    ExpectButton(dialog.items[0], IDOK, "OK", 7, 207);
    ExpectButton(dialog.items[1], IDCANCEL, "Cancel", 316, 207);
    const DialogItem& edit = dialog.items[2];
    EXPECT_EQ(edit.id, static_cast<DWORD>(IDC_EDIT_VALUE_TEXT));
    EXPECT_EQ(edit.classAtom, kEditAtom);
    EXPECT_EQ(edit.style, kEditStyle | ES_WANTRETURN);
    EXPECT_EQ(edit.x, 7);
    EXPECT_EQ(edit.y, 7);
    EXPECT_EQ(edit.cx, 359);
    EXPECT_EQ(edit.cy, 197);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14, "GRPICONDIRENTRY is 14 bytes");

TEST(ApplicationIcon, GroupOffersSmallAndLargeIconsWithAlpha) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDI_QUAVEN_ICON), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(module, found);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(data, nullptr);
    ASSERT_GE(size, 6u);
    WORD header[3];
    memcpy(header, data, sizeof header);
    EXPECT_EQ(header[1], 1);  // icons, not cursors
    ASSERT_EQ(size, 6u + header[2] * sizeof(GroupIconEntry));
    std::vector<int> sizes;
    for (WORD i = 0; i < header[2]; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.bitCount, 32);
        sizes.push_back(entry.width ? entry.width : 256);
    }
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 16), sizes.end());
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32), sizes.end());
}

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
