#include "core/engine_string.h"

#include <gtest/gtest.h>

namespace {

struct ExtensionCase {
    const char* path;
    int expectedOffset;   // -1: null
};

TEST(GetFileExtension, PointsIntoThePathAfterTheLastDotOfTheName)
{
    const ExtensionCase cases[] = {
        {"archive.tar.gz", 12},
        {"dir/.hidden", 5},
        {"file.", 5},           // empty extension, not null
        {"dir.d/file", -1},     // the dot belongs to a folder
        {"", -1},
    };
    for (const ExtensionCase& c : cases) {
        const char* extension = QVI_GetFileExtension(c.path);
        if (c.expectedOffset < 0)
            EXPECT_EQ(extension, nullptr) << c.path;
        else
            EXPECT_EQ(extension, c.path + c.expectedOffset) << c.path;
    }
    EXPECT_EQ(QVI_GetFileExtension(nullptr), nullptr);
}

TEST(GetDirectory, TextBeforeTheLastSlash)
{
    const char* cases[][2] = {
        {"a/b/c", "a/b"},
        {"a//b", "a/"},
        {"res://x.png", "res:/"},
    };
    for (const auto& c : cases) {
        String directory = QVI_GetDirectory(c[0]);
        ASSERT_NE(directory.text, nullptr) << c[0];
        EXPECT_STREQ(directory.text, c[1]) << c[0];
    }
}

TEST(GetDirectory, NoUsableSlashGivesAllocatedEmptyText)
{
    const char* cases[] = {"file", "/file", nullptr};
    for (const char* path : cases) {
        String directory = QVI_GetDirectory(path);
        ASSERT_NE(directory.text, nullptr) << (path ? path : "(null)");
        EXPECT_STREQ(directory.text, "");
    }
}

TEST(NormalizePath, CollapsesParentSteps)
{
    const char* cases[][2] = {
        {"a/b/../../c", "c"},
        {"/../x", "x"},              // a leading "/../" goes whole
        {"../x", "../x"},            // a leading "../" stays
        {"/a/../../x", "/../x"},     // a "/../" brought to the front stays
        {"res://fonts/../strings.xml", "res://strings.xml"},
        {"a/../", ""},
        {"a/b/..", "a/b/.."},        // no trailing '/' after the dots: not a step
        {"a/..b/c", "a/..b/c"},
        // Removing every copy of "b/../" would eat the one inside "ab/../" too.
        {"a/b/../ab/../c", "a/c"},
    };
    for (const auto& c : cases) {
        String normalized = QVI_NormalizePath(c[0]);
        ASSERT_NE(normalized.text, nullptr) << c[0];
        EXPECT_STREQ(normalized.text, c[1]) << c[0];
    }
    EXPECT_EQ(QVI_NormalizePath(nullptr).text, nullptr);
}


} // namespace
