// The blend table in figures, for every renderer the tests draw with: destination
// (0.5, 0.25, 1.0, 0.5) cleared, source (1.0, 0.5, 0.0, 0.5) drawn over it, both as 8-bit
// values; results worked out by hand from the blend table, alpha = sa * sa + da.
#pragma once

#include "graphics/support/test_image.h"
#include "quaven/graphics.h"

namespace quaven_test {

const float kBlendDestination[4] = {0.5f, 0.25f, 1.0f, 0.5f};
const float kBlendSource[4] = {1.0f, 128.0f / 255.0f, 0.0f, 128.0f / 255.0f};
const uint32_t kBlendSourceArgb = 0x80FF8000;

const struct {
    int mode;
    Rgba8 result;
} kBlendExpectations[] = {
    {QV_BLEND_ALPHA, {192, 96, 127, 192}},        {QV_BLEND_ADDITIVE, {255, 128, 255, 192}},
    {QV_BLEND_OFF, {255, 128, 0, 128}},           {QV_BLEND_SUBTRACTIVE, {0, 0, 255, 192}},
    {QV_BLEND_MULTIPLY, {128, 32, 0, 192}},       {QV_BLEND_MULTIPLY_DOUBLE, {255, 64, 0, 192}},
    {QV_BLEND_MULTIPLY_ADD, {255, 96, 255, 192}}, {QV_BLEND_PREMULTIPLIED_ALPHA, {255, 160, 127, 192}},
};

}  // namespace quaven_test
