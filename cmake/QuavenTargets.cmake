# Helpers shared by the engine, fixtures and tests.

# quaven_add_program_library(NAME SOURCES...): a game-side DLL built only against the public
# headers, the way a real game is. Output name is NAME.dll.
function(quaven_add_program_library name)
  add_library(${name} SHARED ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  set_target_properties(${name} PROPERTIES PREFIX "" )
endfunction()
