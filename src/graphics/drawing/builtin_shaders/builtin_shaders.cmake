# The built-in shaders as the engine carries them, made at build time by
# tools/builtin_shaders/compile_builtin_shaders, a Win32 program that runs under the
# cross-compiling emulator (Wine): the source texts of the GL family and HLSL9 translated by
# the engine's own shader translator from the Shader XML beside this file, and the HLSL11
# code compiled from the HLSL beside it by the platform's HLSL compiler through the
# translator's wrapper. Its output, a C++ file of byte arrays, is built into the graphics
# library behind QVI_GetBuiltInShaderCode.

set(QUAVEN_BUILTIN_SHADERS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUAVEN_BUILTIN_SHADER_CODE ${CMAKE_BINARY_DIR}/generated/builtin_shader_code.cpp)

# The translator, its wrapper of the HLSL compiler and the core types they use; nothing
# above the shader translator, so that the tool can be built before the graphics library
# that needs its output. The engine's global objects are built into it too (the translator's
# context is one of them); only the layers below the translator are needed for them.
add_executable(compile_builtin_shaders ${PROJECT_SOURCE_DIR}/tools/builtin_shaders/compile_builtin_shaders.cpp
               ${PROJECT_SOURCE_DIR}/src/engine/globals.cpp)
target_link_libraries(compile_builtin_shaders PRIVATE quaven_public quaven_core quaven_filesystem quaven_shadertool)

# Per shader: the enumerator of BuiltInShader, the source-text targets it has (HLSL9 has no
# default shader), then its Shader XML, vertex and pixel file.
set(QUAVEN_BUILTIN_SHADER_ARGUMENTS)
set(QUAVEN_BUILTIN_SHADER_SOURCES)
foreach(shader "default:kBuiltInDefaultShader:ESSL20,ESSL30,GLSL21,GLSL31"
               "distance_field:kBuiltInDistanceFieldShader:ESSL20,ESSL30,GLSL21,GLSL31,HLSL9")
  string(REPLACE ":" ";" parts ${shader})
  list(GET parts 0 name)
  list(GET parts 1 enumerator)
  list(GET parts 2 targets)
  set(xml ${QUAVEN_BUILTIN_SHADERS_DIR}/internal_${name}.xml)
  set(vertex ${QUAVEN_BUILTIN_SHADERS_DIR}/internal_${name}.vertex.hlsl)
  set(pixel ${QUAVEN_BUILTIN_SHADERS_DIR}/internal_${name}.pixel.hlsl)
  # Wine sees the build machine's root as drive Z:.
  list(APPEND QUAVEN_BUILTIN_SHADER_ARGUMENTS ${enumerator} Z:${xml} ${targets} Z:${vertex} Z:${pixel})
  list(APPEND QUAVEN_BUILTIN_SHADER_SOURCES ${xml} ${vertex} ${pixel})
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
  COMMENT "Making the built-in shaders (source texts, HLSL11 levels 1, 2 and 4)"
  VERBATIM)
target_sources(quaven_graphics PRIVATE ${QUAVEN_BUILTIN_SHADER_CODE})
