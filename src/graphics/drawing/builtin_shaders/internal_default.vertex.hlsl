// "internal_default", vertex stage: sprites, lines and glyphs of the batch renderer
// (vertex format 7).
//
// The engine uploads its row-major Matrix4 unchanged into a column_major float4x4, so
// the HLSL matrix is the engine's transposed and mul(position, world_view_proj) applies
// the engine's matrix to the position as a column vector.

cbuffer Constants : register(b0)
{
    float4x4 world_view_proj;
};

struct VertexInput
{
    float3 _in_position : POSITION;
    float4 _in_color : COLOR;
    float2 _in_texture_coordinate : TEXCOORD0;
};

struct VertexOutput
{
    float4 _vary_position : SV_POSITION;
    float4 _vary_color : COLOR0;
    float2 _vary_texture_coordinate : TEXCOORD0;
};

VertexOutput main(VertexInput input)
{
    VertexOutput output;
    output._vary_position = mul(float4(input._in_position, 1.0f), world_view_proj);
    output._vary_color = input._in_color;
    output._vary_texture_coordinate = input._in_texture_coordinate;
    return output;
}
