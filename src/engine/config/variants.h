#pragma once

#include "core/engine_string.h"

class DataArray;
class DataNode;

// The platform variants of prog.xml's VARIANTS array, as the configuration reader uses
// them. Each step applies the keys of its node in their fixed order to g_config, g_core and
// the default record.

// The variant ids searched in VARIANTS: the size-specific one ("WINDOWS/LARGE") first,
// then the general one ("WINDOWS"). force_variant empties the first and replaces the
// second.
struct VariantIds {
    String sizeSpecific;
    String general;
};

// In developer mode: reports duplicate, deprecated and renamed things in VARIANTS.
void QVI_CheckVariants(const DataArray* variants);

// The node of the size-specific id, else of the general id; null when neither exists.
const DataNode* QVI_ChooseVariant(const DataArray* variants, const VariantIds& ids);

// The chosen variant node; developer (may be null) supplies the developer override of
// "input_implementations". The variant's "resolutions" are read only without
// force_resolution; the sound-effect and music data packages come from "sound_fx_format"
// and "music_format", or the platform's standard formats.
void QVI_ApplyVariantKeys(const DataNode* variant, const DataNode* developer, const char* generalVariantId);

// Reading the chosen variant attaches the renderer interface right after the key
// "renderer_implementation", before the keys that follow it. The renderer set-up installs
// its attach function here (answering whether a renderer is attached); while none is
// installed that step attaches nothing and start-up attaches the renderer later itself.
using RendererAttachFunction = bool (*)();
void QVI_SetRendererAttachFunction(RendererAttachFunction attach);
