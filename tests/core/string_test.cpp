#include "core/engine_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(StringEquality, NullTextEqualsNothingNotEvenAnotherNull)
{
    String a;
    String emptyA("");
    String emptyB("");
    EXPECT_FALSE(a == a);
    EXPECT_TRUE(emptyA == emptyB);
    EXPECT_FALSE(a == emptyA);
}

TEST(StringCopy, NullStaysNullAndCopiesOwnTheirBlock)
{
    String null;
    String original("text");
    String copy(original);
    EXPECT_NE(copy.text, original.text);
    EXPECT_STREQ(copy.text, "text");
    copy = null;
    EXPECT_EQ(copy.text, nullptr);
    String& alias = original;
    original = alias;
    EXPECT_STREQ(original.text, "text");
}

// Each of these reads from the block it is about to replace.
TEST(StringAssign, OwnTextAndPointersIntoItAreSafe)
{
    String s("hello world");
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
}

TEST(StringAppend, NullTargetActsAsAssignAndNullSourceChangesNothing)
{
    String s;
    s.Append("abc");
    EXPECT_STREQ(s.text, "abc");
    s.Append(nullptr);
    EXPECT_STREQ(s.text, "abc");
    String stillNull;
    stillNull.Append(nullptr);
    EXPECT_EQ(stillNull.text, nullptr);
}

TEST(StringFormat, BoundaryLengthsArriveComplete)
{
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
}

TEST(StringFormat, UsesC99Directives)
{
    String s = String::FromFormat("%lld %zu %hhd", 1234567890123LL, size_t(5), 300);
    EXPECT_STREQ(s.text, "1234567890123 5 44");
}

TEST(StringRemoveLastAndSubstring, StayInsideTheTextAndRefuseNegativeArguments)
{
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
    EXPECT_EQ(hello.Substring(5, 1).text, nullptr);
    EXPECT_EQ(hello.Substring(-1, 2).text, nullptr);
    EXPECT_EQ(hello.Substring(1, -2).text, nullptr);
}

TEST(StringToken, SeparatorsAndTheTokenLengthLimitOf1022)
{
    String list("a, b, c");
    EXPECT_STREQ(list.Token(2, ", ").text, "c");
    EXPECT_EQ(list.Token(3, ", ").text, nullptr);

    std::string fits(1022, 't');
    String ok((fits + ",x").c_str());
    String cut((fits + "t,x").c_str());
    EXPECT_EQ(fits, ok.Token(0, ",").text);
    EXPECT_EQ(cut.Token(0, ",").text, nullptr);
    EXPECT_STREQ(cut.Token(1, ",").text, "x");
}

TEST(StringReplace, GrowingShrinkingAndSelfContaining)
{
    String s("banana");
    s.Replace("an", "");
    EXPECT_STREQ(s.text, "ba");
    // A replacement containing the searched text is not searched again.
    s.Assign("aaa");
    s.Replace("a", "aa");
    EXPECT_STREQ(s.text, "aaaaaa");
    // Every occurrence fits even when the text is all matches of a long replacement.
    s.Assign("xxxxxxx");
    s.Replace("x", "0123456789");
    EXPECT_EQ(70u, strlen(s.text));
}

TEST(StringReplace, RefusedArgumentsAndNullText)
{
    String s("banana");
    s.Replace("", "x");
    s.Replace(nullptr, "x");
    s.Replace("a", nullptr);
    EXPECT_STREQ(s.text, "banana");
    String null;
    null.Replace("a", "b");
    EXPECT_STREQ(null.text, "");
}

} // namespace
