// The API table as a game built against the whole layout meets it: no slot is null, members
// without a service answer harmlessly, and the graphics colour setter follows the renderer's
// vertex-colour byte order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "graphics/graphics_api.h"
#include "engine/api_table.h"
#include "graphics/setup/renderer_setup.h"
#include "support/log_capture.h"
#include "support/null_renderer.h"

namespace {

using quaven_test::LogCapture;

// Null slots of a table of pointers, read as the game reads it: by position; -1 for no table.
template <typename Table>
int NullSlots(const Table* table) {
    const void* const* slots = reinterpret_cast<const void* const*>(table);
    return table ? static_cast<int>(std::count(slots, slots + sizeof(Table) / sizeof(void*), nullptr)) : -1;
}

class ApiTableTest : public ::testing::Test {
protected:
    void SetUp() override { QVI_FillAPI(qv); }
    void TearDown() override { QVI_DetachRenderer(), *qv = saved_; }
    const QuavenAPI saved_ = *qv;
};

TEST_F(ApiTableTest, NoSlotOfAnyTableIsNullInATableFilledFromZero) {
    QuavenAPI table = {};
    QVI_FillAPI(&table);
    EXPECT_EQ((std::vector<int>{NullSlots(&table), NullSlots(table.achievements), NullSlots(table.cloud),
                                NullSlots(table.draw), NullSlots(table.fileSystem), NullSlots(table.graphics),
                                NullSlots(table.leaderboards), NullSlots(table.notifications), NullSlots(table.social),
                                NullSlots(table.statistics), NullSlots(table.ugc)}),
              std::vector<int>(11, 0));
}

TEST_F(ApiTableTest, StandInsLeaveNothingUndefinedForTheGameToRead) {
    LogCapture capture(qv);
    float width = 7.0f, height = 7.0f;
    qv->MeasureText(nullptr, &width, &height, "text");
    qv->MeasureText(nullptr, nullptr, nullptr, "text");  // null pointers are allowed
    int pixelsWide = 7, pixelsHigh = 7;
    qv->graphics->GetViewportSize(&pixelsWide, &pixelsHigh);
    EXPECT_EQ(width + height + pixelsWide + pixelsHigh, 0.0f);
    const float* position = qv->graphics->GetViewPosition();
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position[0] + position[1] + position[2], 0.0f);
    // Without a service a game sees "nothing there", not an invented success.
    EXPECT_FALSE(qv->cloud->IsAvailable());
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("best"), -1);
    EXPECT_TRUE(qv->ugc->Call2());  // documented as true without a service
}

TEST_F(ApiTableTest, ColourSetterFollowsTheAttachedRendererAndNothingElseChanges) {
    EXPECT_EQ(qv->graphics->SetColor, QV_Graphics_SetColorRedInByte2) << "no renderer: red in byte 2";
    const QuavenAPI before = *qv;
    quaven_test::NullRenderer renderer;
    renderer.rgbaVertexColor = false;
    QVI_AttachRenderer(&renderer);
    QVI_FillAPI(qv);
    EXPECT_EQ(qv->graphics->SetColor, QV_Graphics_SetColorRedInByte0);
    EXPECT_EQ(memcmp(&before, qv, sizeof before), 0) << "the top level stays the same";
    QVI_DetachRenderer();
    renderer.rgbaVertexColor = true;
    QVI_AttachRenderer(&renderer);
    QVI_FillAPI(qv);
    EXPECT_EQ(qv->graphics->SetColor, QV_Graphics_SetColorRedInByte2);
}

}  // namespace
