// The lookup and update rules of arrays, nodes and parameters that the engine's
// configuration reader and the local leaderboards rely on.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "data/datamanager/data_array.h"
#include "data/datamanager/data_node.h"
#include "data/datamanager/database.h"

namespace {

TEST(DataNodeRecord, SetParameterAppendsThenReplaces)
{
    DataNode node("n");
    node.SetParameter("a", "1");
    node.SetParameter("b", "2");
    node.SetParameter("a", "3");
    ASSERT_EQ(node.parameters.count, 2) << "an existing name is replaced, not appended";
    EXPECT_STREQ(node.parameters.data[0].name, "a");
    EXPECT_STREQ(node.GetParameter("a"), "3");
    EXPECT_STREQ(node.GetParameter("b"), "2");
}

TEST(DataNodeRecord, NullValueKeepsAnExistingValueAndStoresNullForANewName)
{
    DataNode node(nullptr);
    node.SetParameter("a", "kept");
    node.SetParameter("a", nullptr);
    EXPECT_STREQ(node.GetParameter("a"), "kept");

    node.SetParameter("fresh", nullptr);
    ASSERT_EQ(node.parameters.count, 2);
    EXPECT_STREQ(node.parameters.data[1].name, "fresh");
    EXPECT_EQ(node.parameters.data[1].value, nullptr);
}

TEST(DataNodeRecord, NullNameDoesNothing)
{
    DataNode node("n");
    node.SetParameter(nullptr, "x");
    EXPECT_EQ(node.parameters.count, 0);
    EXPECT_EQ(node.GetParameter(nullptr), nullptr);
}

TEST(DataNodeRecord, NameIdAlsoReplacesTheNodeIdWithACopy)
{
    DataNode node("old");
    char value[] = "new";
    node.SetParameter("id", value);
    value[0] = 'X';  // the node keeps its own copy
    EXPECT_STREQ(node.id, "new");
    EXPECT_STREQ(node.GetParameter("id"), "new");
}

TEST(DataNodeRecord, ParameterCopiesSurviveArrayGrowth)
{
    // Parameters live by value in an array that copies them as it grows.
    DataNode node(nullptr);
    char name[16];
    char value[16];
    for (int i = 0; i < 200; ++i) {
        snprintf(name, sizeof(name), "p%d", i);
        snprintf(value, sizeof(value), "v%d", i);
        node.SetParameter(name, value);
    }
    ASSERT_EQ(node.parameters.count, 200);
    EXPECT_STREQ(node.GetParameter("p0"), "v0");
    EXPECT_STREQ(node.GetParameter("p199"), "v199");
}

TEST(DataArrayRecord, FindNodeByIdAndIndex)
{
    DataArray array("a");
    array.nodes.Add(new DataNode(nullptr));
    array.nodes.Add(new DataNode("x"));
    array.nodes.Add(new DataNode("x"));
    array.nodes.data[1]->SetParameter("v", "first");

    EXPECT_EQ(array.FindNode("x"), array.nodes.data[1]) << "the first node with the id";
    EXPECT_EQ(array.FindNode(nullptr), nullptr) << "a null id finds nothing, not the node without id";
    EXPECT_EQ(array.FindNode("y"), nullptr);
    EXPECT_EQ(array.GetNode(0), array.nodes.data[0]);
    EXPECT_EQ(array.GetNode(-1), nullptr);
    EXPECT_EQ(array.GetNode(3), nullptr);
    EXPECT_STREQ(array.GetNodeParameter("x", "v"), "first");
    EXPECT_EQ(array.GetNodeParameter("missing", "v"), nullptr);
}

TEST(DatabaseRecord, FindArrayWithNullIdFindsTheArrayWithoutId)
{
    Database database;
    database.arrays.Add(new DataArray("named"));
    database.arrays.Add(new DataArray(nullptr));
    EXPECT_EQ(database.FindArray(nullptr), database.arrays.data[1]);
    EXPECT_EQ(database.FindArray("named"), database.arrays.data[0]);
    EXPECT_EQ(database.FindArray("NAMED"), nullptr);
}

TEST(DatabaseRecord, GetParameterNeedsANodeId)
{
    Database database;
    DataArray* array = new DataArray("cfg");
    DataNode* node = new DataNode("window");
    node->SetParameter("width", "640");
    array->nodes.Add(node);
    database.arrays.Add(array);

    EXPECT_STREQ(database.GetParameter("cfg", "window", "width"), "640");
    EXPECT_EQ(database.GetParameter("cfg", nullptr, "width"), nullptr);
    EXPECT_EQ(database.GetParameter("other", "window", "width"), nullptr);
    EXPECT_EQ(database.GetParameter("cfg", "window", "height"), nullptr);
}

} // namespace
