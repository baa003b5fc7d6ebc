// "internal_distance_field", pixel stage: text drawn from a distance field. The texture's
// alpha is the distance to the glyph's edge, 0.5 on the edge; smoothing.x is the half
// width of the soft band around it. The smoothstep is written out in place: not every
// HLSL compiler this engine is built with offers the intrinsic or helper functions.

cbuffer Constants : register(b0)
{
    float4 smoothing;
};

SamplerState _smp_diffuse : register(s0);
Texture2D _tex_diffuse : register(t0);

struct PixelInput
{
    float4 _vary_position : SV_POSITION;
    float2 _vary_texture_coordinate : TEXCOORD0;
    float4 _vary_color : COLOR0;
};

float4 main(PixelInput input) : SV_TARGET0
{
    float4 texel = _tex_diffuse.Sample(_smp_diffuse, input._vary_texture_coordinate);
    float low = 0.5f - smoothing.x;
    float t = saturate((texel.a - low) / (2.0f * smoothing.x));
    texel.a = t * t * (3.0f - 2.0f * t);
    return input._vary_color * texel;
}
