#pragma once

namespace ShaderTool {

// Fills the language's keyword table (g_shaderKeywords), reserved words included, when
// it is empty. Called by every tokenizer's Begin; the table is kept for the process.
void FillLanguageKeywords();
// Fills the preprocessor's table of directive words (g_shaderPreprocessorKeywords) when
// it is empty.
void FillPreprocessorKeywords();

} // namespace ShaderTool
