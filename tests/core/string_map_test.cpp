#include "core/string_map.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringMap, NewKeyStartsAtZeroAndIsFoundAgain)
{
    StringMap<int> map;
    int& value = map["alpha"];
    EXPECT_EQ(value, 0);
    value = 5;
    ASSERT_EQ(map.entries.count, 1);
    EXPECT_EQ(map.entries.capacity, 32);
    EXPECT_EQ(map["alpha"], 5);
    EXPECT_EQ(map.entries.count, 1);

    StringMap<int>::Entry* entry = map.FindEntry("alpha");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(&entry->value, &value);
}

TEST(StringMap, KeysAreCopiedAndCompareByteForByte)
{
    StringMap<int> map;
    char key[] = "name";
    map[key] = 1;
    key[0] = 'N';
    EXPECT_TRUE(map.Contains("name"));
    EXPECT_FALSE(map.Contains("Name"));
    EXPECT_FALSE(map.Contains("nam"));
    EXPECT_FALSE(map.Contains(nullptr));
    EXPECT_EQ(map.FindEntry(nullptr), nullptr);
    EXPECT_EQ(map.FindEntry("other"), nullptr);
}

TEST(StringMap, EntriesKeepInsertionOrder)
{
    StringMap<int> map;
    for (int i = 0; i < 40; ++i)
        map[std::to_string(39 - i).c_str()] = i;
    ASSERT_EQ(map.entries.count, 40);
    EXPECT_EQ(map.entries.capacity, 64);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(std::to_string(39 - i), map.entries.data[i]->key.text);
        EXPECT_EQ(map.entries.data[i]->value, i);
    }
}

TEST(StringMap, ValuesWithConstructors)
{
    StringMap<String> map;
    EXPECT_EQ(map["a"].text, nullptr);
    map["a"].Assign("first");
    map["b"].Assign("second");
    EXPECT_STREQ(map["a"].text, "first");
    EXPECT_STREQ(map.FindEntry("b")->value.text, "second");
}

TEST(StringMap, NullKeyNeverMatchesAndDoesNotCrash)
{
    StringMap<int> map;
    map[nullptr] = 1;
    map[nullptr] = 2;
    EXPECT_EQ(map.entries.count, 2);
    EXPECT_FALSE(map.Contains(nullptr));
    EXPECT_EQ(map.entries.data[0]->key.text, nullptr);
    EXPECT_EQ(map.entries.data[0]->value, 1);
}

} // namespace
