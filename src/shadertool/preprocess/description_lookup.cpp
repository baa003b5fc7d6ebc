#include "shadertool/preprocess/description_lookup.h"

#include "shadertool/description/shader_description.h"

#include <cstring>

namespace ShaderTool {

namespace {

bool SameName(const String& name, const char* entryName)
{
    return name.text && entryName && strcmp(name.text, entryName) == 0;
}

template <typename T>
bool HoldsName(const Array<T>& entries, const char* entryName)
{
    for (int32_t i = 0; i < entries.count; ++i) {
        if (SameName(entries.data[i].name, entryName))
            return true;
    }
    return false;
}

bool HoldsName(const Array<String>& names, const char* entryName)
{
    for (int32_t i = 0; i < names.count; ++i) {
        if (SameName(names.data[i], entryName))
            return true;
    }
    return false;
}

} // namespace

DescriptionLookup FindDescriptionEntry(const ShaderDescription* description, const char* arrayName,
                                       const char* entryName)
{
    static const char* const kArrayNames[] = {"constants",        "pixel_constants", "pixel_output",
                                              "pixel_textures",   "vertex_constants", "vertex_input",
                                              "vertex_output"};
    int which = -1;
    for (int i = 0; i < 7; ++i) {
        if (arrayName && strcmp(arrayName, kArrayNames[i]) == 0)
            which = i;
    }
    if (which < 0)
        return DescriptionLookup::kInvalidArray;
    if (!description)
        return DescriptionLookup::kNotFound;

    bool found = false;
    switch (which) {
    case 0: found = HoldsName(description->constants, entryName); break;
    case 1: found = HoldsName(description->pixel_constants, entryName); break;
    case 2: found = HoldsName(description->pixel_output, entryName); break;
    case 3: found = HoldsName(description->pixel_textures, entryName); break;
    case 4: found = HoldsName(description->vertex_constants, entryName); break;
    case 5: found = HoldsName(description->vertex_input, entryName); break;
    default: found = HoldsName(description->vertex_output, entryName); break;
    }
    return found ? DescriptionLookup::kFound : DescriptionLookup::kNotFound;
}

} // namespace ShaderTool
