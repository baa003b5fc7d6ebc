#include "core/engine_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(String, NullEqualsNothingCopiesOwnTheirBlockOwnTextIsASafeSourceAndFormatDeliversEveryLength) {
    String null;
    String emptyA("");
    String emptyB("");
    EXPECT_FALSE(null == null);
    EXPECT_TRUE(emptyA == emptyB);
    EXPECT_FALSE(null == emptyA);

    String original("text");
    String copy(original);
    EXPECT_NE(copy.text, original.text);
    EXPECT_STREQ(copy.text, "text");
    copy = null;
    EXPECT_EQ(copy.text, nullptr);
    String& alias = original;
    original = alias;
    EXPECT_STREQ(original.text, "text");

    String s;
    s.Append("abc");
    EXPECT_STREQ(s.text, "abc");
    s.Append(nullptr);
    EXPECT_STREQ(s.text, "abc");
    String stillNull;
    stillNull.Append(nullptr);
    EXPECT_EQ(stillNull.text, nullptr);
    // Each of these reads from the block it is about to replace.
    s.Assign("hello world");
    s.Assign(s.text + 6);
    EXPECT_STREQ(s.text, "world");
    s.Append(s.text + 3);
    EXPECT_STREQ(s.text, "worldld");
    s.Format("%s-%s", s.text, s.text);
    EXPECT_STREQ(s.text, "worldld-worldld");

    std::string longText(3000, 'z');
    String big(longText.c_str());
    big.Format("%s%s", big.text, big.text);
    EXPECT_EQ(longText + longText, big.text);

    for (size_t length : {size_t(0), size_t(4095), size_t(4096), size_t(10000)}) {
        std::string expected(length, 'x');
        String s("previous");
        s.Format("%s", expected.c_str());
        ASSERT_NE(s.text, nullptr) << length;
        EXPECT_EQ(expected, s.text) << length;
    }
    std::string body(5000, 'y');
    String mixed;
    mixed.Format("[%d|%s|%.2f]", 42, body.c_str(), 1.5);
    EXPECT_EQ("[42|" + body + "|1.50]", mixed.text);
    mixed.AppendFormat("%s", body.c_str());
    EXPECT_EQ("[42|" + body + "|1.50]" + body, mixed.text);
    EXPECT_STREQ(String::FromFormat("%lld %zu %hhd", 1234567890123LL, size_t(5), 300).text, "1234567890123 5 44");
}

TEST(String, PiecesStayInsideTheTextTokensUpTo1022CharactersAreCopiedAndReplaceNeverSearchesItsReplacement) {
    String s("hello");
    char* block = s.text;
    s.RemoveLast(2);
    EXPECT_EQ(s.text, block);
    EXPECT_STREQ(s.text, "hel");
    s.RemoveLast(5);
    EXPECT_STREQ(s.text, "");
    s.Assign("abc");
    s.RemoveLast(-5);
    EXPECT_STREQ(s.text, "abc");
    String null;
    null.RemoveLast(1);
    EXPECT_EQ(null.text, nullptr);

    String hello("hello");
    EXPECT_STREQ(hello.Substring(2, 100).text, "llo");
    EXPECT_STREQ(hello.Substring(4, 0).text, "");
    EXPECT_EQ(hello.Substring(5, 1).text, nullptr);
    EXPECT_EQ(hello.Substring(-1, 2).text, nullptr);
    EXPECT_EQ(hello.Substring(1, -2).text, nullptr);

    String list("a, b, c");
    EXPECT_STREQ(list.Token(2, ", ").text, "c");
    EXPECT_EQ(list.Token(3, ", ").text, nullptr);

    std::string fits(1022, 't');
    String ok((fits + ",x").c_str());
    String cut((fits + "t,x").c_str());
    EXPECT_EQ(fits, ok.Token(0, ",").text);
    EXPECT_EQ(cut.Token(0, ",").text, nullptr);
    EXPECT_STREQ(cut.Token(1, ",").text, "x");

    s.Assign("banana");
    s.Replace("", "x");
    s.Replace(nullptr, "x");
    s.Replace("a", nullptr);
    EXPECT_STREQ(s.text, "banana");
    s.Replace("an", "");
    EXPECT_STREQ(s.text, "ba");
    s.Assign("aaa");
    s.Replace("a", "aa");
    EXPECT_STREQ(s.text, "aaaaaa");
    // Every occurrence fits even when the text is all matches of a long replacement.
    s.Assign("xxxxxxx");
    s.Replace("x", "0123456789");
    EXPECT_EQ(70u, strlen(s.text));
    null.Replace("a", "b");
    EXPECT_STREQ(null.text, "");

    // The room is estimated from whole occurrences of `from`: the bytes left over after the
    // last one (the "x") must not cost the last replacement its place.
    std::string pairs;
    for (int i = 0; i < 300; ++i) pairs += "ab";
    s.Assign((pairs + "x").c_str());
    s.Replace("ab", "abcde");
    std::string grown;
    for (int i = 0; i < 300; ++i) grown += "abcde";
    EXPECT_EQ(grown + "x", s.text);
    s.Assign("ababx");
    s.Replace("ab", "<ab>");
    EXPECT_STREQ(s.text, "<ab><ab>x");
    // A replacement of the same length has no room to spare, and one that shortens gives room back.
    s.Assign("banana");
    s.Replace("an", "AN");
    EXPECT_STREQ(s.text, "bANANa");
    s.Assign((pairs + "xyz").c_str());
    s.Replace("ab", "a");
    EXPECT_EQ(std::string(300, 'a') + "xyz", s.text);
}

TEST(Paths, ExtensionAndDirectoryFollowTheLastDotAndSlashAndNormalizeCollapsesParentStepsOneAtATime) {
    const struct {
        const char* path;
        int offset;  // -1: null
    } extensions[] = {
        {"archive.tar.gz", 12},
        {"dir/.hidden", 5},
        {"file.", 5},        // empty extension, not null
        {"dir.d/file", -1},  // the dot belongs to a folder
        {"", -1},
    };
    for (const auto& c : extensions) {
        const char* extension = QVI_GetFileExtension(c.path);
        EXPECT_EQ(extension, c.offset < 0 ? nullptr : c.path + c.offset) << c.path;
    }
    EXPECT_EQ(QVI_GetFileExtension(nullptr), nullptr);
    // The directory is the text before the last slash.
    const char* directories[][2] = {
        {"a/b/c", "a/b"}, {"a//b", "a/"}, {"res://x.png", "res:/"}, {"file", ""}, {"/file", ""}, {nullptr, ""},
    };
    for (const auto& c : directories) {
        String directory = QVI_GetDirectory(c[0]);
        EXPECT_STREQ(directory.text, c[1]) << (c[0] ? c[0] : "(null)");
    }

    const char* cases[][2] = {
        {"a/b/../../c", "c"},
        {"/../x", "x"},           // a leading "/../" goes whole
        {"../x", "../x"},         // a leading "../" stays
        {"/a/../../x", "/../x"},  // a "/../" brought to the front stays
        {"res://fonts/../strings.xml", "res://strings.xml"},
        {"a/../", ""},
        {"a/b/..", "a/b/.."},  // no trailing '/' after the dots: not a step
        {"a/..b/c", "a/..b/c"},
        // Removing every copy of "b/../" would eat the one inside "ab/../" too.
        {"a/b/../ab/../c", "a/c"},
    };
    for (const auto& c : cases) {
        String normalized = QVI_NormalizePath(c[0]);
        EXPECT_STREQ(normalized.text, c[1]) << c[0];
    }
    EXPECT_EQ(QVI_NormalizePath(nullptr).text, nullptr);
}

} // namespace
