// The shader pool as a game meets it: shaders found by name and loaded once from their
// compiled code files, the pool's limit and its holes, reloading, creation carried to the
// main thread, the renderer's re-initialisation, the built-in shaders and bad input.
#include <atomic>
#include <thread>

#include "graphics/device_resources.h"
#include "graphics/shaders/shader_pool_fixture.h"

using namespace shader_pool_test;

namespace {

const std::string kCode = std::string("DXBC\0\1\2\xff", 8);

TEST_F(ShaderPoolTest, AShaderIsLoadedOnceFromItsCodeFilesByteForByte) {
    PutShader("water", "", kCode, kCode + "pixel");
    Shader* water = graphics()->GetShader("shaders/water.xml");
    ASSERT_NE(water, nullptr);
    EXPECT_TRUE(graphics()->IsShaderLoaded(water));
    EXPECT_EQ(graphics()->GetShader("shaders/water.xml"), water) << "cached by name";
    EXPECT_EQ(renderer.CallCount("CreateShader"), 1) << "loaded once";
    EXPECT_EQ(renderer.vertexCode, kCode);
    EXPECT_EQ(renderer.pixelCode, kCode + "pixel");
    EXPECT_EQ(water->vertexFormat, QV_VERTEX_FORMAT_BATCH);
    EXPECT_EQ(water->vertexInputs[2].offset, 16) << "texture coordinates after position and colour";
    EXPECT_EQ(Count("Caching shader 'shaders/water.xml'..."), 1);

    // A null name is the record "!NONE": cached like any other, never loaded.
    Shader* none = graphics()->GetShader(nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none->name, "!NONE");
    EXPECT_EQ(graphics()->GetShader(nullptr), none);
    EXPECT_FALSE(graphics()->IsShaderLoaded(none));
}

// A vertex input's offset is where it stands in the Shader XML's list, not where its
// element's bit would put it.
TEST_F(ShaderPoolTest, VertexInputOffsetsFollowTheShaderXmlOrder) {
    std::string xml = ShaderXml("");
    const std::string batchOrder = R"(<node id="position" semantic="POSITION"/><node id="color" semantic="COLOR"/>)"
                                   R"(<node id="uv" semantic="TEXTURE_COORDINATE_0"/>)";
    xml.replace(xml.find(batchOrder), batchOrder.size(),
                R"(<node id="uv" semantic="TEXTURE_COORDINATE_0"/><node id="position" semantic="POSITION"/>)"
                R"(<node id="normal" semantic="NORMAL"/><node id="color" semantic="COLOR"/>)");
    files->Put("shaders/reordered.xml", xml);
    files->Put("shaders/HLSL11/bin/reordered_DEFAULT.vertex", kCode);
    files->Put("shaders/HLSL11/bin/reordered_DEFAULT.pixel", kCode);
    Shader* reordered = graphics()->GetShader("shaders/reordered.xml");
    ASSERT_TRUE(reordered && graphics()->IsShaderLoaded(reordered));
    ASSERT_EQ(reordered->vertexInputCount, 4);
    const int elements[4] = {QV_VERTEX_TEXTURE_COORDINATE_0, QV_VERTEX_POSITION, QV_VERTEX_NORMAL, QV_VERTEX_COLOR};
    const int offsets[4] = {0, 8, 20, 32};  // 8 bytes of uv, 12 of position, 12 of normal
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reordered->vertexInputs[i].element, elements[i]) << i;
        EXPECT_EQ(reordered->vertexInputs[i].offset, offsets[i]) << i;
    }
    EXPECT_EQ(reordered->vertexFormat, QV_VERTEX_POSITION | QV_VERTEX_COLOR | QV_VERTEX_NORMAL |
                                           QV_VERTEX_TEXTURE_COORDINATE_0);
}

TEST_F(ShaderPoolTest, CodeFileNamesFollowLanguageLevelAndPrecompilation) {
    struct Case { int language, level; bool precompiled; const char* stem; bool sourceText; };
    const Case cases[] = {{QV_SHADER_LANGUAGE_HLSL11, QV_SHADER_LEVEL_LOW, true, "shaders/HLSL11/bin/water_LOW.", false},
                          {QV_SHADER_LANGUAGE_HLSL11, QV_SHADER_LEVEL_XBOX, true, "shaders/HLSL11/bin/water_XBOX.", false},
                          {QV_SHADER_LANGUAGE_GLSL21, QV_SHADER_LEVEL_NONE, false, "shaders/GLSL21/water.", true}};
    for (const Case& c : cases) {
        EmptyPool();
        files->files.clear();
        renderer.shaderLanguage = c.language, renderer.shaderLevel = c.level, renderer.precompiledShaders = c.precompiled;
        files->Put("shaders/sea/water.xml", ShaderXml(""));
        files->Put(std::string(c.stem) + "vertex", "void main() {}");
        files->Put(std::string(c.stem) + "pixel", "void main() { }");
        EXPECT_TRUE(graphics()->IsShaderLoaded(graphics()->GetShader("shaders/sea/water.xml"))) << c.stem;
        EXPECT_EQ(renderer.vertexCode, c.sourceText ? std::string("void main() {}\0", 15) : "void main() {}") << c.stem;
    }
}

TEST_F(ShaderPoolTest, AShaderWithoutCodeFilesIsTranslatedAndItsFailureLoggedOutsideDeveloperMode) {
    files->Put("effects/glow.xml", ShaderXml(""));
    Shader* glow = graphics()->GetShader("effects/glow.xml");
    ASSERT_NE(glow, nullptr) << "the record stays in the pool";
    EXPECT_FALSE(graphics()->IsShaderLoaded(glow));
    EXPECT_EQ(Count("Failed to translate shader 'effects/glow.xml':"), 1);
    EXPECT_EQ(Count("Translation FAILED"), 1);
    EXPECT_EQ(quaven_test::LogCapture::CountPopupsContaining("Failed to translate"), 0) << "no box outside developer mode";
    for (const std::string& path : files->opened)
        EXPECT_EQ(path.find("shaders/"), std::string::npos) << "outside shaders/ no code file is looked for: " << path;
    EXPECT_EQ(renderer.CallCount("CreateShader"), 0);
}

TEST_F(ShaderPoolTest, ThePoolEndsAt128RecordsAndFillsHolesWithoutDuplicates) {
    for (int i = 0; i < kShaderPoolSize; ++i)
        ASSERT_NE(QVI_GetShaderRecord(("fx" + std::to_string(i)).c_str(), nullptr), nullptr) << i;
    EXPECT_EQ(graphics()->GetShader("one too many"), nullptr);
    EXPECT_EQ(quaven_test::LogCapture::CountPopups(
                  "Failed to load shader 'one too many': Quaven is out of free shaders.", QV_LOG_WARNING), 1);

    // A freed name leaves a hole: names beyond it are still found, a new name fills it.
    Shader* hole = QVI_GetShaderRecord("fx5", nullptr);
    QVI_FreeShaderRecord(hole);
    bool existed = false;
    EXPECT_EQ(QVI_GetShaderRecord("fx100", &existed), &g_shaderPool.records[100]);
    EXPECT_TRUE(existed);
    EXPECT_EQ(QVI_GetShaderRecord("new", &existed), hole);
    EXPECT_FALSE(existed);
    EXPECT_EQ(g_shaderPool.highWater, kShaderPoolSize);
}

TEST_F(ShaderPoolTest, TruncatedEmptyAndMissingInputGetALogLineAndAFailure) {
    PutShader("cut", "");
    files->files["shaders/HLSL11/bin/cut_DEFAULT.pixel"].maxRead = 3;
    PutShader("empty", "", "");
    for (const char* name : {"cut", "empty"}) {
        const std::string path = std::string("shaders/") + name + ".xml";
        EXPECT_FALSE(graphics()->IsShaderLoaded(graphics()->GetShader(path.c_str()))) << name;
    }
    EXPECT_EQ(quaven_test::LogCapture::CountPopups(
                  "Failed to load shader: Failed to read shader code file 'shaders/HLSL11/bin/cut_DEFAULT.pixel'.",
                  QV_LOG_ERROR), 1);
    EXPECT_EQ(quaven_test::LogCapture::CountPopupsContaining("'shaders/HLSL11/bin/empty_DEFAULT.vertex'"), 1);
    EXPECT_EQ(renderer.CallCount("CreateShader"), 0) << "nothing reaches the renderer";

    // A renderer that refuses the code leaves the shader unloaded.
    renderer.failCreateShader = true;
    PutShader("refused", "");
    EXPECT_FALSE(graphics()->IsShaderLoaded(graphics()->GetShader("shaders/refused.xml")));
    EXPECT_EQ(quaven_test::LogCapture::CountPopups("Failed to load shader 'shaders/refused.xml' in renderer."), 1);

    // Null and foreign shaders are refused by every member, with a line naming it.
    int notAShader[100] = {};
    Shader* foreign = reinterpret_cast<Shader*>(notAShader);
    EXPECT_FALSE(graphics()->IsShaderLoaded(nullptr));
    EXPECT_FALSE(graphics()->ReloadShader(foreign));
    EXPECT_EQ(graphics()->GetShaderUserValue(nullptr, "speed"), nullptr);
    EXPECT_EQ(graphics()->GetShaderPixelConstantIndex(foreign, "tint"), -1);
    EXPECT_EQ(graphics()->GetShaderVertexConstant(nullptr, 0), nullptr);
    EXPECT_EQ(graphics()->GetShaderTextureIndex(nullptr, "diffuse"), -1);
    graphics()->SetShaderPixelConstant(foreign, 0, 0, notAShader);
    graphics()->SetShader(foreign);
    graphics()->SetTextShader(foreign);
    EXPECT_EQ(Count("graphics->IsShaderLoaded: the shader is null."), 1);
    EXPECT_EQ(Count("graphics->ReloadShader: the shader is not one that GetShader gave."), 1);
    EXPECT_EQ(Count("graphics->SetTextShader: the shader is not one that GetShader gave."), 1);
    EXPECT_EQ(g_batch.currentShader, nullptr);
}

TEST_F(ShaderPoolTest, ReloadReplacesTheRendererObjectAndKeepsAnUnloadableShaderUnloaded) {
    PutShader("water", "", "old vertex");
    Shader* water = graphics()->GetShader("shaders/water.xml");
    void* oldObject = water->rendererData;
    g_batch.currentShader = g_batch.boundShader = water;

    files->Put("shaders/HLSL11/bin/water_DEFAULT.vertex", "new vertex");
    EXPECT_TRUE(graphics()->ReloadShader(water));
    EXPECT_EQ(renderer.vertexCode, "new vertex");
    EXPECT_TRUE(graphics()->IsShaderLoaded(water));
    EXPECT_EQ(renderer.live, std::set<void*>{water->rendererData}) << "the old object is destroyed";
    EXPECT_EQ(renderer.live.count(oldObject), 0u);
    EXPECT_EQ(g_batch.boundShader, nullptr) << "the next flush binds the new object";
    EXPECT_EQ(g_batch.currentShader, water);

    files->files["shaders/HLSL11/bin/water_DEFAULT.vertex"].contents.clear();
    EXPECT_FALSE(graphics()->ReloadShader(water));
    EXPECT_FALSE(graphics()->IsShaderLoaded(water));
    EXPECT_TRUE(renderer.live.empty()) << "a failed reload leaves no object behind";
    EXPECT_EQ(graphics()->GetShader("shaders/water.xml"), water) << "the record keeps its name";
}

TEST_F(ShaderPoolTest, AGameThreadWaitsInIsShaderLoadedForTheMainThreadToCreate) {
    PutShader("water", "");
    std::atomic<bool> done{false};
    bool loaded = false;
    std::thread game([&] {
        loaded = graphics()->IsShaderLoaded(graphics()->GetShader("shaders/water.xml"));
        done = true;
    });
    while (!done) {
        QVI_ProcessShaderUploads();
        qv->Sleep(1);
    }
    game.join();
    EXPECT_TRUE(loaded);
    RendererCall create;
    ASSERT_TRUE(renderer.LastCall("CreateShader", &create));
    EXPECT_EQ(create.threadId, GetCurrentThreadId()) << "created on the main thread";

    // A reload on the main thread overtakes a creation still queued with older code.
    PutShader("queued", "", "old");
    Shader* queued = nullptr;
    std::thread([&] { queued = graphics()->GetShader("shaders/queued.xml"); }).join();
    EXPECT_TRUE(QVI_IsShaderPending(queued));
    files->Put("shaders/HLSL11/bin/queued_DEFAULT.vertex", "new");
    EXPECT_TRUE(graphics()->ReloadShader(queued));
    EXPECT_FALSE(QVI_IsShaderPending(queued));
    QVI_ProcessShaderUploads();
    EXPECT_EQ(renderer.vertexCode, "new");

    // A renderer that creates shaders anywhere does it on the game's thread.
    renderer.threadingCapabilities = QV_THREADING_CREATE_SHADERS;
    PutShader("sky", "");
    DWORD gameThread = 0;
    std::thread other([&] {
        loaded = graphics()->IsShaderLoaded(graphics()->GetShader("shaders/sky.xml"));
        gameThread = GetCurrentThreadId();
    });
    other.join();
    EXPECT_TRUE(loaded);
    ASSERT_TRUE(renderer.LastCall("CreateShader", &create));
    EXPECT_EQ(create.threadId, gameThread);
}

TEST_F(ShaderPoolTest, ReinitialisationRecreatesEveryXmlShaderWithItsTables) {
    PutShader("water", XmlArray("pixel_constants", R"(<node id="tint" type="FLOAT4"/>)"));
    Shader* water = graphics()->GetShader("shaders/water.xml");
    void* tint = graphics()->GetShaderPixelConstant(water, 0);

    QVI_ReleasePooledShaderData();
    EXPECT_FALSE(graphics()->IsShaderLoaded(water));
    EXPECT_TRUE(renderer.live.empty());
    QVI_ReloadXmlShaders();
    EXPECT_TRUE(graphics()->IsShaderLoaded(water));
    EXPECT_EQ(renderer.CallCount("CreateShader"), 2);
    EXPECT_EQ(graphics()->GetShaderPixelConstant(water, 0), tint) << "the game's constant stays where it was";
}

TEST_F(ShaderPoolTest, BuiltInShadersComeFromTextAndGivenCode) {
    ByteBuffer code[2];
    code[0].WriteBytes("vs", 2);
    code[1].WriteBytes("ps", 2);
    const std::string xml = ShaderXml(XmlArray("pixel_textures", R"(<node id="diffuse" type="2D"/>)"));
    Shader* builtIn = QVI_TranslateShaderSource("internal_default", xml.c_str(), code);
    ASSERT_NE(builtIn, nullptr);
    EXPECT_TRUE(graphics()->IsShaderLoaded(builtIn));
    EXPECT_EQ(renderer.pixelCode, "ps");
    EXPECT_EQ(graphics()->GetShaderTextureIndex(builtIn, "diffuse"), 0);
    EXPECT_EQ(QVI_TranslateShaderSource("internal_default", xml.c_str(), code), builtIn) << "made once";
    EXPECT_EQ(renderer.CallCount("CreateShader"), 1);
    g_batch.defaultShader = builtIn;
    EXPECT_FALSE(graphics()->ReloadShader(builtIn)) << "the engine's own text is not a file to reload";
    EXPECT_TRUE(graphics()->IsShaderLoaded(builtIn));

    Shader* broken = QVI_TranslateShaderSource("internal_distance_field", "<?xml", code);
    ASSERT_NE(broken, nullptr) << "the record is answered also when it could not be made";
    EXPECT_FALSE(graphics()->IsShaderLoaded(broken));
    EXPECT_EQ(quaven_test::LogCapture::CountPopupsContaining("Failed to translate shader 'internal_distance_field':"), 1);
}

// A record that exists is answered at once, loaded or not; a built-in shader's name, asked
// for by a game while the built-ins were given back, is still filled from the engine's text.
TEST_F(ShaderPoolTest, TranslatingSourceAnswersAnExistingRecordExceptABuiltInsOwnName) {
    ByteBuffer code[2];
    code[0].WriteBytes("vs", 2);
    code[1].WriteBytes("ps", 2);
    const std::string xml = ShaderXml("");
    Shader* gameMade = graphics()->GetShader("effects/glow.xml");
    ASSERT_TRUE(gameMade && !graphics()->IsShaderLoaded(gameMade));
    EXPECT_EQ(QVI_TranslateShaderSource("effects/glow.xml", xml.c_str(), code), gameMade);
    EXPECT_FALSE(graphics()->IsShaderLoaded(gameMade)) << "answered as it was";
    EXPECT_EQ(renderer.CallCount("CreateShader"), 0);

    Shader* early = graphics()->GetShader("internal_default");
    ASSERT_TRUE(early && !graphics()->IsShaderLoaded(early));
    EXPECT_EQ(QVI_TranslateShaderSource("internal_default", xml.c_str(), code), early);
    EXPECT_TRUE(graphics()->IsShaderLoaded(early)) << "the batch renderer keeps its default shader";
    EXPECT_EQ(renderer.pixelCode, "ps");
    EXPECT_EQ(early->vertexFormat, QV_VERTEX_FORMAT_BATCH);
}

}  // namespace
