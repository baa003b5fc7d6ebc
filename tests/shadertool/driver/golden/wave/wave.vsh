#include "waves.inc"

void main()
{
    float2 place = input.position.xz;
    float up = height(place, time.x);
    output.position = float4(place.x, up, place.y, 1.0) * view_proj;
#if _TEXTURE_COORDINATE_AXIS_V_POINTS_UP
    output.uv = float2(input.uv.x, 1.0 - input.uv.y);
#else
    output.uv = input.uv;
#endif
    output.shade = clamp(0.75 + up, 0.0, 1.0);
}
