// "internal_default", pixel stage: the vertex colour times the diffuse texture.

SamplerState _smp_diffuse : register(s0);
Texture2D _tex_diffuse : register(t0);

struct PixelInput
{
    float4 _vary_position : SV_POSITION;
    float4 _vary_color : COLOR0;
    float2 _vary_texture_coordinate : TEXCOORD0;
};

float4 main(PixelInput input) : SV_TARGET0
{
    return input._vary_color * _tex_diffuse.Sample(_smp_diffuse, input._vary_texture_coordinate);
}
