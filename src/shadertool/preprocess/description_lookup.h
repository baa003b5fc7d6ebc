#pragma once

namespace ShaderTool {

class ShaderDescription;

enum class DescriptionLookup { kFound, kNotFound, kInvalidArray };

// Whether the description's array of that XML name ("constants", "pixel_constants",
// "pixel_output", "pixel_textures", "vertex_constants", "vertex_input", "vertex_output")
// holds an entry of that name. A null description holds nothing.
DescriptionLookup FindDescriptionEntry(const ShaderDescription* description, const char* arrayName,
                                       const char* entryName);

} // namespace ShaderTool
