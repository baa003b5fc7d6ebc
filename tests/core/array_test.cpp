#include "core/array.h"
#include "core/engine_string.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

void Fill(Array<int>& array, int n)
{
    for (int i = 0; i < n; ++i)
        array.Add(i);
}

TEST(ArrayLayout, FieldsInTheirFixedOrder)
{
    EXPECT_EQ(offsetof(Array<int>, data), 0u);
    EXPECT_EQ(offsetof(Array<int>, count), sizeof(void*));
    EXPECT_EQ(offsetof(Array<int>, capacity), sizeof(void*) + 4);
    EXPECT_EQ(offsetof(Array<int>, autoShrink), sizeof(void*) + 8);
}

TEST(ArrayGrowth, FirstAddReserves32ThenDoublesAndCapacityOneGoesTo8)
{
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
}

TEST(ArrayGrowth, SetCapacityNeverDropsElements)
{
    Array<int> array;
    Fill(array, 10);
    array.SetCapacity(3);
    EXPECT_EQ(array.capacity, 10);
    ASSERT_EQ(array.count, 10);
    EXPECT_EQ(array.data[9], 9);
}

// The element being added lives in the storage that growth frees.
TEST(ArrayGrowth, AddingAnOwnElementWhileFull)
{
    Array<String> array;
    array.SetCapacity(2);
    array.Add(String("first"));
    array.Add(String("second"));
    array.Add(array.data[0]);
    ASSERT_EQ(array.count, 3);
    EXPECT_STREQ(array.data[2].text, "first");
    EXPECT_NE(array.data[2].text, array.data[0].text);
}

TEST(ArrayShrink, QuarterFullHalvesCapacityUnlessSmallOrDisabled)
{
    Array<int> array;
    Fill(array, 33);
    while (array.count > 17)
        array.RemoveLast();
    EXPECT_EQ(array.capacity, 64);
    array.RemoveLast();
    EXPECT_EQ(array.capacity, 32);
    while (array.count > 8)
        array.RemoveAt(0);
    EXPECT_EQ(array.capacity, 16);
    EXPECT_EQ(array.data[0], 8);
    while (array.count > 0)
        array.RemoveLast();
    EXPECT_NE(array.data, nullptr);

    Array<int> fixed;
    fixed.autoShrink = false;
    Fill(fixed, 64);
    while (fixed.count > 0)
        fixed.RemoveAt(0);
    EXPECT_EQ(fixed.capacity, 64);
}

TEST(ArrayRemoval, OutOfRangeAndEmptyDoNothing)
{
    Array<int> array;
    array.RemoveLast();
    array.RemoveAt(0);
    EXPECT_EQ(array.count, 0);
    Fill(array, 3);
    array.RemoveAt(-1);
    array.RemoveAt(3);
    EXPECT_EQ(array.count, 3);
}

TEST(ArrayCopy, CopiesAreDeepAndConstructionSetsAutoShrink)
{
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
}

} // namespace
