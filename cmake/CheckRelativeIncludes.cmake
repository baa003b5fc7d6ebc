# Run as a build step (cmake -P) over every source under src/. The compiler looks for a quoted
# include beside the including file before anywhere else, so "../engine/api_table.h" would find
# a layer that the layer's own include folder deliberately leaves out. Includes are written
# from src/ instead; one that climbs out of its folder fails the build here.
#   -DSOURCE_DIR=<src folder> -DSTAMP=<file written when every source passes>
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.c")
set(offenders)
foreach(source ${sources})
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(\\.\\./|\\./)")
  foreach(line ${lines})
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    string(STRIP "${line}" line)
    list(APPEND offenders "src/${shown}: ${line}")
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Includes are written from src/, never relative to the including file:\n  ${text}")
endif()
file(TOUCH "${STAMP}")
