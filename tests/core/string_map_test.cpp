#include "core/string_map.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringMap, KeysAreCopiedComparedByteForByteAndKeepInsertionOrder)
{
    StringMap<int> map;
    char key[] = "name";
    map[key] = 5;
    key[0] = 'N';
    EXPECT_EQ(map["name"], 5);
    EXPECT_FALSE(map.Contains("Name"));
    EXPECT_FALSE(map.Contains("nam"));
    EXPECT_EQ(map["new"], 0);
    for (int i = 0; i < 40; ++i)
        map[std::to_string(39 - i).c_str()] = i;
    ASSERT_EQ(map.entries.count, 42);
    EXPECT_STREQ(map.entries.data[2]->key.text, "39");
    EXPECT_EQ(map.entries.data[41]->value, 39);
}

TEST(StringMap, NullKeyNeverMatchesAndDoesNotCrash)
{
    StringMap<int> map;
    map[nullptr] = 1;
    map[nullptr] = 2;
    EXPECT_EQ(map.entries.count, 2);
    EXPECT_FALSE(map.Contains(nullptr));
    EXPECT_EQ(map.FindEntry(nullptr), nullptr);
}

} // namespace
