#version 140
// tests/shadertool/driver/golden/lit_mesh.xml's pixel stage as GLSL 1.40 written by hand:
// the text glslangValidator's front end reads next to the translator's run.
in vec4 _vary_color;
in vec2 _vary_uv;
in vec3 _vary_world_normal;
in vec3 _vary_to_eye;
in float _vary_fog;

uniform vec4 light_colors[3];
uniform vec4 ambient;
uniform vec4 fog_color;
uniform vec4 material;

uniform sampler2D _tex_diffuse;

out vec4 _out_color;

vec3 lightFrom(int index, vec3 normal, vec3 toEye, vec3 place);
float rim(vec3 normal, vec3 toEye);

const float SHININESS = 24.0;

vec3 lightFrom(int index, vec3 normal, vec3 toEye, vec3 place)
{
	vec3 toLight = light_colors[index].xyz;
	vec3 direction = normalize(vec3(0.3, 0.8, 0.5) + toLight * 0.0);
	float diffuse = max(dot(normal, direction), 0.0);
	vec3 halfway = normalize(direction + toEye);
	float specular = 0.0;

	if (diffuse > 0.0)
	{
		specular = pow(max(dot(normal, halfway), 0.0), SHININESS) * material.y;
	}

	return light_colors[index].rgb * (diffuse * material.x + specular);
}

float rim(vec3 normal, vec3 toEye)
{
	float edge = 1.0 - clamp(dot(normal, toEye), 0.0, 1.0);
	return smoothstep(0.6, 1.0, edge) * material.z;
}

void main()
{
	vec3 normal = normalize(_vary_world_normal);
	vec3 toEye = normalize(_vary_to_eye);
	vec4 texel = texture(_tex_diffuse, _vary_uv);
	vec4 base = texel * _vary_color;
	vec3 light = ambient.rgb;

	for (int i = 0; i < 3; i++)
	{
		light += lightFrom(i, normal, toEye, vec3(0.0, 0.0, 0.0));
	}

	if (1 != 0)
	{
		light += vec3(1.0, 1.0, 1.0) * rim(normal, toEye);
	}

	float steps = 4.0;
	vec3 banded = floor(light * steps + 0.5) / steps;
	vec3 lit = mix(light, banded, material.w);
	vec3 shaded = base.rgb * lit;
	float alpha = base.a > 0.5 ? base.a : 0.0;

	if (alpha <= 0.0)
		discard;

	_out_color = vec4(mix(shaded, fog_color.rgb, _vary_fog), alpha);
}
