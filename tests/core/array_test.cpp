#include "core/array.h"
#include "core/engine_string.h"
#include "core/string_map.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace {

void Fill(Array<int>& array, int n) {
    for (int i = 0; i < n; ++i)
        array.Add(i);
}

static_assert(offsetof(Array<int>, count) == sizeof(void*) && offsetof(Array<int>, capacity) == sizeof(void*) + 4 &&
                  offsetof(Array<int>, autoShrink) == sizeof(void*) + 8,
              "Array keeps its fields in their fixed order");

TEST(Array, GrowthDoublesFrom32OrGoesTo8QuarterFullHalvesUnlessDisabledAndBadRemovalsDoNothing) {
    Array<int> array;
    array.Add(1);
    EXPECT_EQ(array.capacity, 32);
    Fill(array, 31);
    EXPECT_EQ(array.capacity, 32);
    array.Add(99);
    EXPECT_EQ(array.capacity, 64);
    EXPECT_EQ(array.data[0], 1);
    EXPECT_EQ(array.data[32], 99);

    Array<int> small;
    small.SetCapacity(1);
    Fill(small, 2);
    EXPECT_EQ(small.capacity, 8);
    Fill(small, 7);
    EXPECT_EQ(small.capacity, 16);
    small.SetCapacity(3);
    EXPECT_EQ(small.capacity, 9);
    ASSERT_EQ(small.count, 9);
    EXPECT_EQ(small.data[8], 6);

    Array<int> shrinking;
    shrinking.RemoveLast();
    shrinking.RemoveAt(0);
    EXPECT_EQ(shrinking.count, 0);
    Fill(shrinking, 33);
    shrinking.RemoveAt(-1);
    shrinking.RemoveAt(33);
    EXPECT_EQ(shrinking.count, 33);
    while (shrinking.count > 17)
        shrinking.RemoveLast();
    EXPECT_EQ(shrinking.capacity, 64);
    shrinking.RemoveLast();
    EXPECT_EQ(shrinking.capacity, 32);
    while (shrinking.count > 8)
        shrinking.RemoveAt(0);
    EXPECT_EQ(shrinking.capacity, 16);
    EXPECT_EQ(shrinking.data[0], 8);
    while (shrinking.count > 0)
        shrinking.RemoveLast();
    EXPECT_NE(shrinking.data, nullptr);

    Array<int> fixed;
    fixed.autoShrink = false;
    Fill(fixed, 64);
    while (fixed.count > 0)
        fixed.RemoveAt(0);
    EXPECT_EQ(fixed.capacity, 64);
}

TEST(Array, CopiesAreDeepAnOwnElementCanBeAddedWhileFullAndStringMapKeysAreCopiedAndKeptInOrder) {
    Array<Array<String>> lists;
    Array<String> inner;
    inner.Add(String("a"));
    inner.autoShrink = false;
    lists.Add(inner);
    Array<Array<String>> copy(lists);
    EXPECT_TRUE(copy.data[0].autoShrink);
    EXPECT_STREQ(copy.data[0].data[0].text, "a");
    EXPECT_NE(copy.data[0].data, lists.data[0].data);
    EXPECT_NE(copy.data[0].data[0].text, lists.data[0].data[0].text);
    // The element being added lives in the storage that growth frees.
    Array<String> array;
    array.SetCapacity(2);
    array.Add(String("first"));
    array.Add(String("second"));
    array.Add(array.data[0]);
    ASSERT_EQ(array.count, 3);
    EXPECT_STREQ(array.data[2].text, "first");
    EXPECT_NE(array.data[2].text, array.data[0].text);

    // A StringMap's keys are copied, compared byte for byte and kept in insertion order; a null key never matches.
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

    map[nullptr] = 1;
    map[nullptr] = 2;
    EXPECT_EQ(map.entries.count, 44);
    EXPECT_FALSE(map.Contains(nullptr));
}

} // namespace
