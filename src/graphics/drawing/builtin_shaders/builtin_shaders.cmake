# The compiled code of the built-in shaders. The HLSL beside this file is compiled at build
# time by tools/builtin_shaders/compile_builtin_shaders, a Win32 program that runs under the
# cross-compiling emulator (Wine) and calls the platform's HLSL compiler through the shader
# translator's wrapper; its output, a C++ file of byte arrays, is built into the graphics
# library behind QVI_GetBuiltInShaderCode.

set(QUAVEN_BUILTIN_SHADERS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUAVEN_BUILTIN_SHADER_CODE ${CMAKE_BINARY_DIR}/generated/builtin_shader_code_hlsl11.cpp)

# The wrapper and the core types it uses; nothing above the shader translator, so that the
# tool can be built before the graphics library that needs its output.
add_executable(compile_builtin_shaders ${PROJECT_SOURCE_DIR}/tools/builtin_shaders/compile_builtin_shaders.cpp)
target_link_libraries(compile_builtin_shaders PRIVATE quaven_public quaven_core quaven_shadertool)

# Each stage's source, per shader: the enumerator of BuiltInShader, then the vertex and the
# pixel file.
set(QUAVEN_BUILTIN_SHADER_ARGUMENTS)
set(QUAVEN_BUILTIN_SHADER_SOURCES)
foreach(shader default:kBuiltInDefaultShader distance_field:kBuiltInDistanceFieldShader)
  string(REPLACE ":" ";" parts ${shader})
  list(GET parts 0 name)
  list(GET parts 1 enumerator)
  set(vertex ${QUAVEN_BUILTIN_SHADERS_DIR}/internal_${name}.vertex.hlsl)
  set(pixel ${QUAVEN_BUILTIN_SHADERS_DIR}/internal_${name}.pixel.hlsl)
  # Wine sees the build machine's root as drive Z:.
  list(APPEND QUAVEN_BUILTIN_SHADER_ARGUMENTS ${enumerator} Z:${vertex} Z:${pixel})
  list(APPEND QUAVEN_BUILTIN_SHADER_SOURCES ${vertex} ${pixel})
endforeach()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(QUAVEN_BUILD_TIME_RUNNER ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
  set(QUAVEN_BUILD_TIME_RUNNER ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
endif()

# The Wine prefix of this build folder is made first when it does not exist yet (a clean
# clone); the scripts find it through QUAVEN_BUILD_DIR.
add_custom_command(
  OUTPUT ${QUAVEN_BUILTIN_SHADER_CODE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -E env QUAVEN_BUILD_DIR=${CMAKE_BINARY_DIR}
          bash ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh
  COMMAND ${CMAKE_COMMAND} -E env QUAVEN_BUILD_DIR=${CMAKE_BINARY_DIR}
          ${QUAVEN_BUILD_TIME_RUNNER} $<TARGET_FILE:compile_builtin_shaders>
          Z:${QUAVEN_BUILTIN_SHADER_CODE} ${QUAVEN_BUILTIN_SHADER_ARGUMENTS}
  DEPENDS compile_builtin_shaders ${QUAVEN_BUILTIN_SHADER_SOURCES}
          ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh
  COMMENT "Compiling the built-in shaders (HLSL11 levels 1, 2 and 4)"
  VERBATIM)
target_sources(quaven_graphics PRIVATE ${QUAVEN_BUILTIN_SHADER_CODE})
