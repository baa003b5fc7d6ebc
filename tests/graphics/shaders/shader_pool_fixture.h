// The shader pool's tests' ground: the engine's table, shader files served from memory
// as the engine's file system would find them, a tests' renderer that makes a renderer
// object per shader, and an empty pool around every test.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "data/datamanager/data_manager.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/shaders/shader_pool.h"
#include "graphics/support/test_renderer.h"
#include "support/engine_table.h"
#include "support/memory_files.h"

namespace shader_pool_test {

// TestRenderer that hangs an object of its own on every shader it creates, as a device
// renderer does, and keeps the code it was given.
class ShaderRenderer : public TestRenderer {
public:
    bool CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description,
                      const ByteBuffer code[2]) override {
        if (!TestRenderer::CreateShader(shader, description, code))
            return false;
        std::lock_guard<std::mutex> guard(mutex_);
        shader->rendererData = new int(0);
        live.insert(shader->rendererData);
        vertexCode = Bytes(code[0]);
        pixelCode = Bytes(code[1]);
        return true;
    }
    void DestroyShader(Shader* shader) override {
        TestRenderer::DestroyShader(shader);
        std::lock_guard<std::mutex> guard(mutex_);
        live.erase(shader->rendererData);
        delete static_cast<int*>(shader->rendererData);
    }
    static std::string Bytes(const ByteBuffer& buffer) {
        return buffer.data ? std::string(reinterpret_cast<const char*>(buffer.data), buffer.size) : "";
    }

    std::set<void*> live;  // renderer objects not yet destroyed
    std::string vertexCode, pixelCode;  // of the last creation

private:
    std::mutex mutex_;
};

inline std::string XmlArray(const std::string& id, const std::string& nodes) {
    return "  <array id=\"" + id + "\">" + nodes + "</array>\n";
}

// A Shader XML of version 2 with the batch's vertex layout and one pixel output.
inline std::string ShaderXml(const std::string& arrays) {
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" +
           XmlArray("info", R"(<node id="version" value="2"/><node id="revision" value="2"/>)") +
           XmlArray("vertex_input", R"(<node id="position" semantic="POSITION"/><node id="color" semantic="COLOR"/>)"
                                    R"(<node id="uv" semantic="TEXTURE_COORDINATE_0"/>)") +
           XmlArray("pixel_output", R"(<node id="color"/>)") + arrays + "</root>\n";
}

class ShaderPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.emplace();
        files.emplace(qv);
        cachedBefore_ = DataManager::databases.count;
        QVI_AttachRenderer(&renderer);
        g_rendererSetup.shaderTranslatorLock = QVI_NewMutexRecord("ShaderTranslator");
        g_batch = BatchState();
    }

    void TearDown() override {
        EmptyPool();
        EXPECT_TRUE(renderer.live.empty()) << "every renderer object is destroyed";
        g_batch = BatchState();
        QVI_FreeMutexRecord(g_rendererSetup.shaderTranslatorLock);
        g_rendererSetup = RendererSetupState();
        while (DataManager::databases.count > cachedBefore_)
            DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
        EXPECT_EQ(files->openHandles, 0) << "every opened file is closed";
        files.reset();
        engine.reset();
    }

    static void EmptyPool() {
        QVI_DropShaderUploads();
        for (int i = 0; i < g_shaderPool.highWater; ++i)
            QVI_FreeShaderRecord(&g_shaderPool.records[i]);
        g_shaderPool.highWater = 0;
    }

    // A shader file and its compiled code for the tests' renderer (HLSL11, default level).
    void PutShader(const std::string& name, const std::string& arrays, const std::string& vertex = std::string("VS\0code", 7),
                   const std::string& pixel = std::string("PS\0code", 7)) {
        files->Put("shaders/" + name + ".xml", ShaderXml(arrays));
        files->Put("shaders/HLSL11/bin/" + name + "_DEFAULT.vertex", vertex);
        files->Put("shaders/HLSL11/bin/" + name + "_DEFAULT.pixel", pixel);
    }

    static const QuavenGraphicsAPI* graphics() { return qv->graphics; }
    static int Count(const std::string& part) { return quaven_test::LogCapture::CountContaining(part); }

    ShaderRenderer renderer;
    std::optional<quaven_test::EngineTable> engine;
    std::optional<quaven_test::MemoryFiles> files;

private:
    int cachedBefore_ = 0;
};

}  // namespace shader_pool_test
