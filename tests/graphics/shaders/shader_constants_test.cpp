// A shader's constants, textures and user values as a game reaches them through the
// graphics table: register-aligned offsets, the uploaded flag, lookups by name.
#include <malloc.h>

#include <cstring>
#include <vector>

#include "graphics/shaders/shader_pool_fixture.h"
#include "shadertool/description/shader_description.h"

using namespace shader_pool_test;

namespace {

const std::string kLitArrays =
    XmlArray("vertex_constants", R"(<node id="wvp" type="FLOAT4X4" semantic="WORLD_VIEW_PROJECTION_TRANSFORM"/>)") +
    XmlArray("pixel_constants", R"(<node id="tint" type="FLOAT4"/><node id="transform" type="FLOAT4X4"/>)"
                                R"(<node id="rotation" type="FLOAT3X3"/><node id="lights" type="INT4" count="2"/>)") +
    XmlArray("pixel_textures", R"(<node id="diffuse" type="2D" address_u="WRAP" filter_min="POINT"/>)"
                               R"(<node id="mask" type="2D"/>)") +
    XmlArray("user", R"(<node id="speed" value="2.5"/>)");

class ShaderConstantsTest : public ShaderPoolTest {
protected:
    void SetUp() override {
        ShaderPoolTest::SetUp();
        PutShader("lit", kLitArrays);
        lit = graphics()->GetShader("shaders/lit.xml");
        ASSERT_TRUE(graphics()->IsShaderLoaded(lit));
    }
    Shader* lit = nullptr;
};

TEST_F(ShaderConstantsTest, EveryConstantStartsOnA16ByteRegister) {
    const int transform = graphics()->GetShaderPixelConstantIndex(lit, "transform");
    ASSERT_EQ(transform, 1);
    const uint8_t* tint = static_cast<uint8_t*>(graphics()->GetShaderPixelConstant(lit, 0));
    EXPECT_EQ(static_cast<uint8_t*>(graphics()->GetShaderPixelConstant(lit, transform)), tint + 16);
    EXPECT_EQ(static_cast<uint8_t*>(graphics()->GetShaderPixelConstant(lit, 2)), tint + 16 + 64);
    EXPECT_EQ(static_cast<uint8_t*>(graphics()->GetShaderPixelConstant(lit, 3)), tint + 16 + 64 + 48)
        << "a 3 x 3 matrix takes three registers";
    const ShaderConstantTable& pixel = lit->pixelConstants;
    EXPECT_EQ(pixel.size, 16 + 64 + 48 + 32);
    EXPECT_EQ(pixel.entries[3].arrayCount, 2);
    const int classes[] = {1, 2, 0, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pixel.entries[i].valueClass, classes[i]) << pixel.entries[i].name;

    EXPECT_EQ(graphics()->GetShaderVertexConstantIndex(lit, "wvp"), 0);
    EXPECT_EQ(lit->vertexConstants.entries[0].engineKind, 4) << "filled by the engine before each draw";
    EXPECT_EQ(graphics()->GetShaderPixelConstantIndex(lit, "wvp"), -1) << "each stage has its own names";
    EXPECT_EQ(graphics()->GetShaderPixelConstant(lit, 4), nullptr);
    EXPECT_EQ(graphics()->GetShaderPixelConstant(lit, -1), nullptr);
    EXPECT_EQ(Count("graphics->GetShaderPixelConstant: constant index 4 is not one of the shader's 4."), 1);
}

TEST_F(ShaderConstantsTest, OnlyAChangedValueClearsTheUploadedFlag) {
    EXPECT_TRUE(lit->flags & kShaderConstantsUploaded) << "set when the tables are built";
    const float zero[4] = {0, 0, 0, 0};
    graphics()->SetShaderPixelConstant(lit, 0, 0, zero);
    EXPECT_TRUE(lit->flags & kShaderConstantsUploaded) << "the value was already stored";
    EXPECT_EQ(lit->pixelConstants.entries[0].uploaded, 1);

    const float red[4] = {1, 0, 0, 1};
    graphics()->SetShaderPixelConstant(lit, 0, 0, red);
    EXPECT_FALSE(lit->flags & kShaderConstantsUploaded);
    EXPECT_EQ(lit->pixelConstants.entries[0].uploaded, 0);
    EXPECT_EQ(memcmp(graphics()->GetShaderPixelConstant(lit, 0), red, sizeof red), 0);
    EXPECT_EQ(lit->pixelConstants.entries[1].uploaded, 1) << "the other constants are untouched";

    // The whole matrix is copied: sixteen floats, register by register.
    float translation[16] = {1, 0, 0, 5, 0, 1, 0, 7, 0, 0, 1, 0, 0, 0, 0, 1};
    graphics()->SetShaderVertexConstant(lit, 0, 0, translation);
    EXPECT_EQ(memcmp(graphics()->GetShaderVertexConstant(lit, 0), translation, sizeof translation), 0);

    graphics()->SetShaderPixelConstant(lit, 9, 0, red);
    graphics()->SetShaderPixelConstant(lit, 0, 0, nullptr);
    EXPECT_EQ(Count("graphics->SetShaderPixelConstant: constant index 9 is not one of the shader's 4."), 1);
    EXPECT_EQ(Count("graphics->SetShaderPixelConstant: the value is null."), 1);
}

TEST_F(ShaderConstantsTest, AMatrixWrittenAs64BytesAnElementStaysInsideTheValueBlock) {
    // A game may write every matrix element as the 64 bytes of a 4 x 4 one. Where that
    // reaches past the laid-out constants (a small matrix last, an array of them), the
    // block reaches as far; the table's size, uploaded and set, stays the laid-out one.
    PutShader("small", XmlArray("vertex_constants", R"(<node id="wvp" type="FLOAT4X4"/><node id="turn" type="FLOAT2X2"/>)") +
                           XmlArray("pixel_constants", R"(<node id="rotations" type="FLOAT3X3" count="4"/>)"
                                                       R"(<node id="tint" type="FLOAT4"/>)"));
    Shader* small = graphics()->GetShader("shaders/small.xml");
    ASSERT_TRUE(graphics()->IsShaderLoaded(small));
    const ShaderConstantTable& vertex = small->vertexConstants;
    const ShaderConstantTable& pixel = small->pixelConstants;
    EXPECT_EQ(vertex.size, 64 + 32);
    EXPECT_EQ(pixel.size, 4 * 48 + 16);
    EXPECT_EQ(_msize(vertex.values), 64u + 64u) << "the 2 x 2 matrix written as 64 bytes";
    EXPECT_EQ(_msize(pixel.values), 4u * 64u) << "four 3 x 3 matrices written as 64 bytes each";

    uint8_t* turn = static_cast<uint8_t*>(graphics()->GetShaderVertexConstant(small, 1));
    uint8_t* rotations = static_cast<uint8_t*>(graphics()->GetShaderPixelConstant(small, 0));
    ASSERT_EQ(turn, vertex.values + 64);
    ASSERT_EQ(rotations, pixel.values);
    memset(turn, 0x5A, 64);
    memset(rotations, 0x5A, 4 * 64);
    EXPECT_EQ(vertex.values[127], 0x5A);

    // Setting copies the laid-out size only: the bytes past it are left as they were.
    std::vector<float> values(16, 1.0f);
    memset(turn, 0, 64);
    graphics()->SetShaderVertexConstant(small, 1, 0, values.data());
    EXPECT_EQ(memcmp(turn, values.data(), 32), 0);
    EXPECT_EQ(std::vector<uint8_t>(turn + 32, turn + 64), std::vector<uint8_t>(32, 0));

    // A block whose matrices' 64 bytes fall inside the laid-out constants gets nothing more.
    EXPECT_EQ(_msize(lit->pixelConstants.values), size_t(lit->pixelConstants.size)) << "its 3 x 3 matrix is not last";
    EXPECT_EQ(_msize(lit->vertexConstants.values), 64u);
}

TEST_F(ShaderConstantsTest, TexturesAndUserValuesAreFoundByName) {
    EXPECT_EQ(graphics()->GetShaderTextureIndex(lit, "mask"), 1);
    EXPECT_EQ(graphics()->GetShaderTextureIndex(lit, "gloss"), -1);
    EXPECT_EQ(lit->textureCount, 2);
    const ShaderTextureEntry& diffuse = lit->textures[0];
    EXPECT_EQ((std::vector<int>{diffuse.address[0], diffuse.address[1], diffuse.filter[0], diffuse.filter[1]}),
              (std::vector<int>{QV_ADDRESS_WRAP, 0, 0, QV_FILTER_POINT})) << "0 where the file is silent";

    EXPECT_STREQ(graphics()->GetShaderUserValue(lit, "speed"), "2.5");
    EXPECT_EQ(graphics()->GetShaderUserValue(lit, "height"), nullptr);
    EXPECT_EQ(graphics()->GetShaderUserValue(lit, nullptr), nullptr);
}

TEST_F(ShaderConstantsTest, ConstantsBeyondAStageRefuseTheTables) {
    ShaderTool::ShaderDescription description;
    ShaderTool::ShaderConstant huge;
    huge.name.Assign("huge");
    huge.byteSize = ShaderTool::kMaxStageConstantBytes;
    huge.type = ShaderTool::Type(ShaderTool::kBaseFloat, 4, 0, 4096);
    description.pixel_constants.Add(huge);
    ASSERT_TRUE(QVI_BuildShaderTables(lit, &description)) << "a whole stage fits";
    EXPECT_EQ(lit->pixelConstants.entries[0].size, 65536u);
    description.pixel_constants.Add(huge);
    EXPECT_FALSE(QVI_BuildShaderTables(lit, &description));
    EXPECT_EQ(lit->pixelConstants.count, 0);
    EXPECT_EQ(Count("the pixel constant 'huge' does not fit the stage's 65536 bytes of constants."), 1);
}

TEST_F(ShaderConstantsTest, AStageWhoseConstantsPassOneConstantBufferIsRefusedByTheLoader) {
    // The Shader XML reads either way; the loader takes 65,536 bytes a stage, not one more.
    PutShader("full", XmlArray("vertex_constants", R"(<node id="m" type="FLOAT4X4" count="1024"/>)"));
    PutShader("over", XmlArray("vertex_constants", R"(<node id="m" type="FLOAT4X4" count="1023"/>)"
                                                   R"(<node id="v" type="FLOAT4" count="5"/>)"));
    Shader* full = graphics()->GetShader("shaders/full.xml");
    ASSERT_TRUE(graphics()->IsShaderLoaded(full));
    EXPECT_EQ(full->vertexConstants.size, 65536);
    EXPECT_FALSE(graphics()->IsShaderLoaded(graphics()->GetShader("shaders/over.xml")));
    EXPECT_EQ(Count("the vertex constant 'v' does not fit the stage's 65536 bytes of constants."), 1);
}

}  // namespace
