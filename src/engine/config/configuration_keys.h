#pragma once

#include "core/engine_string.h"

class DataArray;
class DataNode;

// The steps of reading the configuration, one per node that carries keys. Each applies
// the keys of its node in their fixed order to g_config, g_core and the default record.

// The variant ids searched in VARIANTS: the size-specific one ("WINDOWS/LARGE") first,
// then the general one ("WINDOWS"). force_variant empties the first and replaces the
// second.
struct VariantIds {
    String sizeSpecific;
    String general;
};

// prog.xml PARAMETERS/APPLICATION.
void QVI_ApplyApplicationKeys(const DataNode* application);

// The developer node (developer.xml's, else prog.xml's), without "developer_packages".
void QVI_ApplyDeveloperKeys(const DataNode* developer, VariantIds* ids);

// In developer mode: reports duplicate, deprecated and renamed things in VARIANTS.
void QVI_CheckVariants(const DataArray* variants);

// The node of the size-specific id, else of the general id; null when neither exists.
const DataNode* QVI_ChooseVariant(const DataArray* variants, const VariantIds& ids);

// The chosen variant node; developer (may be null) supplies the developer override of
// "input_implementations".
void QVI_ApplyVariantKeys(const DataNode* variant, const DataNode* developer, const char* generalVariantId);

// The variant's "resolutions" (read only without force_resolution).
void QVI_ApplyVariantResolutions(const DataNode* variant);

// The sound-effect and music data packages of the variant ("sound_fx_format",
// "music_format", or the platform's standard formats).
void QVI_ChooseMusicPackage(const DataNode* variant, const char* generalVariantId);
void QVI_ChooseSoundFxPackage(const DataNode* variant, const char* generalVariantId);

// Registers each piece of a comma-separated manifest list, with "res://" in front.
void QVI_AddManifestList(const char* list);
