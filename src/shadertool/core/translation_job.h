#pragma once

#include <cstdint>

namespace ShaderTool {

struct ShaderSource;

// One source of the description that takes part in a translation.
struct TranslationJob {
    ShaderSource* source = nullptr;   // borrowed from the description
    int32_t number = 0;               // 1-based position in the "sources" array
    uint8_t upToDate = 0;
    uint8_t parsedOk = 1;
    uint8_t needsPreprocessing = 1;
};

} // namespace ShaderTool
