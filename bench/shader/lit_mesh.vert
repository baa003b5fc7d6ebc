#version 140
// tests/shadertool/driver/golden/lit_mesh.xml's vertex stage as GLSL 1.40 written by hand:
// the text glslangValidator's front end reads next to the translator's run.
in vec4 _in_position;
in vec4 _in_color;
in vec2 _in_uv;
in vec3 _in_normal;

uniform mat4 world_view_proj;
uniform mat4 world;
uniform mat3 normal_turn;
uniform vec4 light_positions[3];
uniform vec4 eye;

out vec4 _vary_color;
out vec2 _vary_uv;
out vec3 _vary_world_normal;
out vec3 _vary_to_eye;
out float _vary_fog;

float fogAmount(float distance);

vec3 worldPosition(vec4 position)
{
	vec4 moved = position * world;
	return moved.xyz / moved.w;
}

void main()
{
	vec4 position = vec4(_in_position.xyz, 1.0);
	vec3 place = worldPosition(position);
	gl_Position = position * world_view_proj;
	_vary_color = _in_color;
	_vary_uv = _in_uv;
	vec3 turned = _in_normal * normal_turn;
	float size = length(turned);

	if (size > 0.0001)
		_vary_world_normal = turned / size;
	else
		_vary_world_normal = vec3(0.0, 0.0, 1.0);

	vec3 toEye = eye.xyz - place;
	_vary_to_eye = toEye;
	_vary_fog = fogAmount(length(toEye));
}

float fogAmount(float distance)
{
	float amount = 1.0 - exp2(-0.035 * distance * 0.035 * distance);
	return clamp(amount, 0.0, 1.0);
}
