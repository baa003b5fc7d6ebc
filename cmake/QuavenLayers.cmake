# The engine's layers. Each folder under src/ is a static library that names the layers it may
# use. Sources write includes from src/ ("core/array.h"), but src/ itself is never an include
# directory: each library sees a folder of its own in the build tree holding links to its own
# sources and to those of the layers it names, so an include against the direction finds no
# file and fails to build.

set(QUAVEN_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layer_includes)

# A quoted include is looked for beside its file first, which no include folder can stop:
# every layer waits for a step that refuses includes climbing out of their folder.
file(GLOB_RECURSE QUAVEN_ALL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.cpp
     ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.c)
set(QUAVEN_INCLUDE_STAMP ${CMAKE_BINARY_DIR}/relative_includes.stamp)
add_custom_command(OUTPUT ${QUAVEN_INCLUDE_STAMP}
                   COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/src
                           -DSTAMP=${QUAVEN_INCLUDE_STAMP} -P ${PROJECT_SOURCE_DIR}/cmake/CheckRelativeIncludes.cmake
                   DEPENDS ${QUAVEN_ALL_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/CheckRelativeIncludes.cmake
                   COMMENT "Checking that includes are written from src/")
add_custom_target(quaven_relative_includes DEPENDS ${QUAVEN_INCLUDE_STAMP})

# quaven_layer_root(NAME PATHS...): the include folder of layer NAME, with a link for each
# path under src/ (a folder or a single header).
function(quaven_layer_root name)
  set(root ${QUAVEN_LAYER_ROOTS}/${name})
  foreach(path ${ARGN})
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${path})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${path} ${root}/${path} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# quaven_layer(NAME FOLDERS f... [EXCLUDE regex...] USES lib...): library quaven_NAME from the
# sources under the folders, seeing the folders themselves and the layers it uses.
function(quaven_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;EXCLUDE;USES" ${ARGN})
  set(sources)
  foreach(folder ${L_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp
         ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
    list(APPEND sources ${found})
  endforeach()
  foreach(pattern ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  quaven_layer_root(${name} ${L_FOLDERS})
  add_library(quaven_${name} STATIC ${sources})
  add_dependencies(quaven_${name} quaven_relative_includes)
  target_include_directories(quaven_${name} INTERFACE ${QUAVEN_LAYER_ROOTS}/${name})
  target_include_directories(quaven_${name} PRIVATE ${QUAVEN_LAYER_ROOTS}/${name})
  target_link_libraries(quaven_${name} PRIVATE quaven_public ${L_USES})
endfunction()
