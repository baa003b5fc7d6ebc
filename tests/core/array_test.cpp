#include "core/array.h"
#include "core/engine_string.h"
#include "core/string_int_pair.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

namespace {

// A global array must be usable before any start-up code has run.
Array<int> globalArray;

void Fill(Array<int>& array, int n)
{
    for (int i = 0; i < n; ++i)
        array.Add(i);
}

struct DisplayMode {
    int width;
    int height;
    bool operator==(const DisplayMode& other) const { return width == other.width && height == other.height; }
};

struct Counted {
    static int alive;
    Counted() { ++alive; }
    Counted(const Counted&) { ++alive; }
    Counted& operator=(const Counted&) = default;
    ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(ArrayLayout, FieldsInTheirFixedOrder)
{
    EXPECT_EQ(offsetof(Array<int>, data), 0u);
    EXPECT_EQ(offsetof(Array<int>, count), sizeof(void*));
    EXPECT_EQ(offsetof(Array<int>, capacity), sizeof(void*) + 4);
    EXPECT_EQ(offsetof(Array<int>, autoShrink), sizeof(void*) + 8);
    static_assert(std::is_standard_layout<Array<int>>::value, "read directly by other code");
}

TEST(ArrayGrowth, GlobalStartsEmptyWithAutoShrink)
{
    EXPECT_EQ(globalArray.data, nullptr);
    EXPECT_EQ(globalArray.count, 0);
    EXPECT_EQ(globalArray.capacity, 0);
    EXPECT_TRUE(globalArray.autoShrink);
}

TEST(ArrayGrowth, FirstAddReserves32ThenDoubles)
{
    Array<int> array;
    array.Add(1);
    EXPECT_EQ(array.capacity, 32);
    Fill(array, 31);
    EXPECT_EQ(array.capacity, 32);
    array.Add(99);
    EXPECT_EQ(array.count, 33);
    EXPECT_EQ(array.capacity, 64);
    Fill(array, 32);
    EXPECT_EQ(array.capacity, 128);
    EXPECT_EQ(array.data[0], 1);
    EXPECT_EQ(array.data[32], 99);
    EXPECT_EQ(array.data[64], 31);
}

TEST(ArrayGrowth, CapacityOneGoesTo8Then16)
{
    Array<int> array;
    array.SetCapacity(1);
    array.Add(10);
    EXPECT_EQ(array.capacity, 1);
    array.Add(11);
    EXPECT_EQ(array.capacity, 8);
    Fill(array, 6);
    array.Add(12);
    EXPECT_EQ(array.capacity, 16);
    EXPECT_EQ(array.data[0], 10);
    EXPECT_EQ(array.data[1], 11);
    EXPECT_EQ(array.data[8], 12);
}

TEST(ArrayGrowth, SetCapacityNeverDropsElements)
{
    Array<int> array;
    Fill(array, 10);
    array.SetCapacity(3);
    EXPECT_EQ(array.capacity, 10);
    EXPECT_EQ(array.count, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(array.data[i], i);

    array.SetCapacity(100);
    EXPECT_EQ(array.capacity, 100);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(array.data[i], i);
}

TEST(ArrayGrowth, AddingAnOwnElementWhileFull)
{
    Array<String> array;
    array.SetCapacity(2);
    array.Add(String("first"));
    array.Add(String("second"));
    ASSERT_EQ(array.count, array.capacity);
    array.Add(array.data[0]);
    ASSERT_EQ(array.count, 3);
    EXPECT_STREQ(array.data[2].text, "first");
    EXPECT_STREQ(array.data[0].text, "first");
    EXPECT_NE(array.data[2].text, array.data[0].text);

    Array<int> numbers;
    Fill(numbers, 32);
    numbers.data[0] = 777;
    numbers.Add(numbers.data[0]);
    EXPECT_EQ(numbers.data[32], 777);
}

TEST(ArrayShrink, QuarterFullHalvesCapacity)
{
    Array<int> array;
    Fill(array, 33);
    ASSERT_EQ(array.capacity, 64);
    while (array.count > 17)
        array.RemoveLast();
    EXPECT_EQ(array.capacity, 64);
    array.RemoveLast();
    EXPECT_EQ(array.count, 16);
    EXPECT_EQ(array.capacity, 32);
    while (array.count > 8)
        array.RemoveAt(0);
    EXPECT_EQ(array.capacity, 16);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(array.data[i], 8 + i);
}

TEST(ArrayShrink, EmptiedArrayKeepsItsStorage)
{
    Array<int> array;
    array.Add(5);
    array.RemoveLast();
    EXPECT_EQ(array.count, 0);
    EXPECT_EQ(array.capacity, 32);
    EXPECT_NE(array.data, nullptr);
}

TEST(ArrayShrink, SmallCapacityNeverShrinks)
{
    Array<int> array;
    array.SetCapacity(3);
    Fill(array, 3);
    array.RemoveLast();
    array.RemoveLast();
    EXPECT_EQ(array.capacity, 3);
}

TEST(ArrayShrink, DisabledAutoShrinkKeepsCapacity)
{
    Array<int> array;
    array.autoShrink = false;
    Fill(array, 64);
    while (array.count > 0)
        array.RemoveAt(0);
    EXPECT_EQ(array.capacity, 64);
}

TEST(ArrayRemoval, RemoveTakesOnlyTheFirstMatch)
{
    Array<int> array;
    for (int value : {1, 2, 3, 2, 4})
        array.Add(value);
    EXPECT_TRUE(array.Remove(2));
    ASSERT_EQ(array.count, 4);
    EXPECT_EQ(array.data[0], 1);
    EXPECT_EQ(array.data[1], 3);
    EXPECT_EQ(array.data[2], 2);
    EXPECT_EQ(array.data[3], 4);

    EXPECT_FALSE(array.Remove(9));
    EXPECT_EQ(array.count, 4);
    EXPECT_TRUE(array.Contains(2));
    EXPECT_FALSE(array.Contains(9));
}

TEST(ArrayRemoval, RemoveOfAnOwnElement)
{
    Array<int> array;
    for (int value : {5, 6, 5})
        array.Add(value);
    EXPECT_TRUE(array.Remove(array.data[0]));
    ASSERT_EQ(array.count, 2);
    EXPECT_EQ(array.data[0], 6);
    EXPECT_EQ(array.data[1], 5);
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

TEST(ArrayRemoval, RecordsUseTheirOwnEquality)
{
    Array<DisplayMode> modes;
    modes.Add({800, 600});
    modes.Add({1024, 768});
    EXPECT_TRUE(modes.Contains({1024, 768}));
    EXPECT_FALSE(modes.Contains({1024, 600}));
    EXPECT_TRUE(modes.Remove({800, 600}));
    EXPECT_EQ(modes.data[0].width, 1024);
}

TEST(ArrayCopy, CopyConstructionSetsAutoShrink)
{
    Array<int> source;
    source.autoShrink = false;
    Fill(source, 5);
    Array<int> copy(source);
    EXPECT_TRUE(copy.autoShrink);
    EXPECT_EQ(copy.count, 5);
    EXPECT_EQ(copy.capacity, source.capacity);
    EXPECT_NE(copy.data, source.data);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(copy.data[i], i);

    Array<int> empty;
    Array<int> emptyCopy(empty);
    EXPECT_EQ(emptyCopy.data, nullptr);
    EXPECT_EQ(emptyCopy.capacity, 0);
}

TEST(ArrayCopy, AssignmentKeepsOwnFlagAndLargerStorage)
{
    Array<int> big;
    big.autoShrink = false;
    big.SetCapacity(100);
    Fill(big, 50);
    int* ownStorage = big.data;

    Array<int> small;
    Fill(small, 3);
    big = small;
    EXPECT_FALSE(big.autoShrink);
    EXPECT_EQ(big.capacity, 100);
    EXPECT_EQ(big.data, ownStorage);
    EXPECT_EQ(big.count, 3);

    Array<int> target;
    target.SetCapacity(2);
    target.autoShrink = false;
    target = small;
    EXPECT_EQ(target.capacity, small.capacity);
    EXPECT_FALSE(target.autoShrink);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(target.data[i], i);

    Array<int>& alias = target;
    target = alias;
    EXPECT_EQ(target.count, 3);
    EXPECT_EQ(target.data[2], 2);
}

TEST(ArrayCopy, ArraysOfArrays)
{
    Array<Array<int>> lists;
    Array<int> inner;
    Fill(inner, 4);
    lists.Add(inner);
    lists.Add(inner);
    inner.data[0] = 100;
    EXPECT_EQ(lists.data[0].data[0], 0);
    EXPECT_NE(lists.data[0].data, lists.data[1].data);

    Array<Array<int>> copy(lists);
    EXPECT_EQ(copy.data[1].count, 4);
    EXPECT_NE(copy.data[1].data, lists.data[1].data);
}

TEST(ArrayCopy, StringElementsAreDuplicated)
{
    Array<String> names;
    names.Add(String("a"));
    names.Add(String());
    Array<String> copy(names);
    EXPECT_STREQ(copy.data[0].text, "a");
    EXPECT_NE(copy.data[0].text, names.data[0].text);
    EXPECT_EQ(copy.data[1].text, nullptr);

    Array<StringIntPair> pairs;
    StringIntPair pair;
    pair.text.Assign("open");
    pair.value = 7;
    pairs.Add(pair);
    StringIntPair copied(pairs.data[0]);
    EXPECT_STREQ(copied.text.text, "open");
    EXPECT_NE(copied.text.text, pairs.data[0].text.text);
    EXPECT_EQ(copied.value, 7);
}

TEST(ArrayStorage, EverySlotIsConstructedAndDestroyed)
{
    {
        Array<Counted> array;
        array.Add(Counted());
        EXPECT_EQ(Counted::alive, 32);
        array.SetCapacity(4);
        EXPECT_EQ(Counted::alive, 4);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(ArrayStorage, DeleteAllKeepsStorage)
{
    Array<Counted*> owned;
    owned.Add(new Counted());
    owned.Add(nullptr);
    owned.Add(new Counted());
    EXPECT_EQ(Counted::alive, 2);
    owned.DeleteAll();
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(owned.count, 0);
    EXPECT_EQ(owned.capacity, 32);
}

} // namespace
