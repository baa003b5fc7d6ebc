// "internal_distance_field", vertex stage: as "internal_default" (see there for the
// matrix order), with the texture coordinate passed before the colour.

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
    float2 _vary_texture_coordinate : TEXCOORD0;
    float4 _vary_color : COLOR0;
};

VertexOutput main(VertexInput input)
{
    VertexOutput output;
    output._vary_position = mul(float4(input._in_position, 1.0f), world_view_proj);
    output._vary_texture_coordinate = input._in_texture_coordinate;
    output._vary_color = input._in_color;
    return output;
}
