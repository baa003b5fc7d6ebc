// The lookup and update rules of arrays, nodes and parameters that the engine's
// configuration reader and the local leaderboards rely on.
#include <gtest/gtest.h>

#include <string>

#include "data/datamanager/database.h"

namespace {

TEST(DataNodeRecord, SetParameterAppendsReplacesAndKeepsCopiesThroughGrowth) {
    DataNode node("n");
    node.SetParameter("a", "1");
    node.SetParameter("a", "3");
    node.SetParameter("a", nullptr);  // a null value keeps an existing one...
    node.SetParameter("fresh", nullptr);  // ...and is stored for a new name
    ASSERT_EQ(node.parameters.count, 2) << "an existing name is replaced, not appended";
    EXPECT_STREQ(node.GetParameter("a"), "3");
    EXPECT_EQ(node.parameters.data[1].value, nullptr);
    node.SetParameter(nullptr, "x");
    EXPECT_EQ(node.GetParameter(nullptr), nullptr);

    char value[] = "new";
    node.SetParameter("id", value);
    value[0] = 'X';  // the node keeps its own copy
    EXPECT_STREQ(node.id, "new") << "the name id also replaces the node's id";

    // Parameters live by value in an array that copies them as it grows.
    for (int i = 0; i < 200; ++i)
        node.SetParameter(("p" + std::to_string(i)).c_str(), ("v" + std::to_string(i)).c_str());
    EXPECT_STREQ(node.GetParameter("p0"), "v0");
    EXPECT_STREQ(node.GetParameter("p199"), "v199");
}

TEST(DataParameterRecord, OwnCopiesOfNameAndValueThroughEveryChange) {
    DataParameter named("n", nullptr);
    named.SetValue("a longer value");
    named.SetValue(named.value + 9);  // its own text
    EXPECT_STREQ(named.name, "n");
    EXPECT_STREQ(named.value, "value");

    DataParameter copy(named);
    named.Set(named.value, named.name);  // both texts its own, swapped
    EXPECT_STREQ(named.name, "value");
    EXPECT_STREQ(named.value, "n");
    EXPECT_STREQ(copy.name, "n");
    EXPECT_STREQ(copy.value, "value");

    DataParameter unnamed(nullptr, "v");
    EXPECT_EQ(unnamed.name, nullptr);
    EXPECT_STREQ(unnamed.value, "v");
    copy = unnamed;
    EXPECT_EQ(copy.name, nullptr);
    EXPECT_STREQ(copy.value, "v");
    unnamed = named;
    EXPECT_STREQ(unnamed.name, "value");
    EXPECT_STREQ(unnamed.value, "n");
}

TEST(DatabaseRecord, LookupsByIdAndIndex) {
    Database database;
    database.arrays.Add(new DataArray("cfg"));
    database.arrays.Add(new DataArray(nullptr));
    DataArray& array = *database.arrays.data[0];
    array.nodes.Add(new DataNode(nullptr));
    array.nodes.Add(new DataNode("x"));
    array.nodes.Add(new DataNode("x"));
    array.nodes.data[1]->SetParameter("v", "first");

    EXPECT_EQ(database.FindArray(nullptr), database.arrays.data[1]) << "null finds the array without id";
    EXPECT_EQ(database.FindArray("CFG"), nullptr);
    EXPECT_EQ(array.FindNode("x"), array.nodes.data[1]) << "the first node with the id";
    EXPECT_EQ(array.FindNode(nullptr), nullptr) << "a null id finds nothing, not the node without id";
    EXPECT_EQ(array.GetNode(3), nullptr);
    EXPECT_STREQ(database.GetParameter("cfg", "x", "v"), "first");
    EXPECT_EQ(database.GetParameter("cfg", nullptr, "v"), nullptr);
}

} // namespace
