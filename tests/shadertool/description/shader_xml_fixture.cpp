#include <windows.h>

#include "shader_xml_fixture.h"

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/scheme.h"
#include "filesystem/url_roots.h"
#include "quaven/bitmap.h"
#include "shadertool/core/context.h"
#include "shadertool/description/read_shader_xml.h"
#include "shadertool/description/shader_xml_reader.h"
#include "support/files.h"
#include "support/process.h"

namespace shader_xml_test {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
const char* const kKnownBitmap = "textures/known.png";

namespace {

QuavenFileSystemAPI g_fileSystem = {};
QuavenGraphicsAPI g_graphics = {};
Bitmap* g_knownBitmap = reinterpret_cast<Bitmap*>(static_cast<uintptr_t>(0x1000));

Bitmap* FakeGetBitmap(const char* name)
{
    return name && std::string(name) == kKnownBitmap ? g_knownBitmap : nullptr;
}

void ClearTranslatorState()
{
    ShaderTool::GetShaderXMLReader()->Reset();
    g_shaderContext.errorLog.Clear();
    g_shaderContext.reportLog.Clear();
}

} // namespace

void ShaderXMLTest::SetUp()
{
    savedTable_ = *qv;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    QVI_FillFileSystemAPI(&g_fileSystem);
    qv->fileSystem = &g_fileSystem;
    log_ = std::make_unique<quaven_test::LogCapture>(qv);
    g_graphics = QuavenGraphicsAPI();
    g_graphics.GetBitmap = FakeGetBitmap;
    qv->graphics = &g_graphics;

    root_ = quaven_test::WithForwardSlashes(quaven_test::MakeTempDir("shaderxml"));
    hadResRoot_ = g_currentUrlRoots[SCHEME_RES].text != nullptr;
    savedResRoot_ = hadResRoot_ ? g_currentUrlRoots[SCHEME_RES].text : "";
    g_currentUrlRoots[SCHEME_RES].Assign(root_.c_str());
    cachedBefore_ = DataManager::databases.count;
    ClearTranslatorState();
}

void ShaderXMLTest::TearDown()
{
    ClearTranslatorState();
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
    quaven_test::RemoveTree(root_);
    if (hadResRoot_)
        g_currentUrlRoots[SCHEME_RES].Assign(savedResRoot_.c_str());
    else
        g_currentUrlRoots[SCHEME_RES] = String();
    log_.reset();
    *qv = savedTable_;
}

void ShaderXMLTest::PutFile(const std::string& relative, const std::string& contents)
{
    ASSERT_TRUE(quaven_test::WriteFileIn(root_, relative, contents)) << relative;
}

bool ShaderXMLTest::ReadFile(const std::string& relative, const std::string& contents)
{
    PutFile(relative, contents);
    return ShaderTool::ReadShaderXML(String(("res://" + relative).c_str()), nullptr, false, false);
}

const ShaderTool::ShaderDescription& ShaderXMLTest::Description() const
{
    return ShaderTool::GetShaderXMLReader()->description;
}

std::string ShaderXMLTest::Report() const
{
    const char* text = g_shaderContext.reportLog.text.text;
    return text ? text : "";
}

bool ShaderXMLTest::ReportHasError() const
{
    return g_shaderContext.reportLog.hasError != 0;
}

std::string ShaderXML(const std::string& arrays)
{
    return std::string(kDeclaration) +
           "<root>\n"
           "  <array id=\"info\">\n"
           "    <node id=\"version\" value=\"2\"/>\n"
           "    <node id=\"revision\" value=\"2\"/>\n"
           "  </array>\n" +
           arrays + "</root>\n";
}

int LineOf(const std::string& text, const std::string& marker)
{
    size_t at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    int line = 1;
    for (size_t i = 0; i < at; ++i)
        if (text[i] == '\n')
            ++line;
    return line;
}

} // namespace shader_xml_test
