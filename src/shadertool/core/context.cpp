#include "shadertool/core/context.h"

#include "shadertool/description/shader_xml_reader.h"
#include "shadertool/hlsl_compiler/compiler.h"
#include "shadertool/preprocess/preprocessor.h"
#include "shadertool/preprocess/tokenizer.h"

namespace ShaderTool {

namespace {

// Per target index: multiple pixel outputs, 3D textures.
const TargetCapabilities kTargetCapabilities[kTargetCount] = {
    {0, 0},   // ESSL20
    {1, 1},   // ESSL30
    {0, 1},   // GLSL21
    {1, 1},   // GLSL31
    {1, 1},   // HLSL9
    {1, 1},   // HLSL11
    {1, 1},   // PSSL
};

} // namespace

Context::Context()
    : compilers{}, tokenizer(nullptr), preprocessor(nullptr), reader(nullptr), translators{}, ownTargetMasks{},
      newestStamp(0), skipUpToDate(0)
{
    parse.BuildEnvironment(&errorLog);
    tokenizer = new Tokenizer(&errorLog);
    parse.tokenSource = tokenizer;
    preprocessor = new Preprocessor(&errorLog);
    reader = new ShaderXMLReader(&errorLog);
    for (int index = 0; index < kTargetCount; ++index)
        capabilities[index] = kTargetCapabilities[index];
}

Context::~Context()
{
    delete reader;
    reader = nullptr;
    delete preprocessor;
    preprocessor = nullptr;
    parse.tokenSource = nullptr;
    delete tokenizer;
    tokenizer = nullptr;
    for (Compiler*& compiler : compilers) {
        delete compiler;
        compiler = nullptr;
    }
}

const TargetCapabilities* Context::GetCapabilities(uint32_t target) const
{
    int index = GetTargetIndex(target);
    return index < 0 ? nullptr : &capabilities[index];
}

} // namespace ShaderTool
