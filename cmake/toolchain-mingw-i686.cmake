# Cross-compiling for 32-bit Windows with MinGW-w64's posix thread-model compilers.
# The win32 thread model lacks std::thread/std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUAVEN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${QUAVEN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUAVEN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUAVEN_MINGW_PREFIX}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Where bootstrapped dependencies live; passed on by the bootstrap script and the build scripts.
if(DEFINED ENV{QUAVEN_DEPS_PREFIX} AND NOT QUAVEN_DEPS_PREFIX)
  set(QUAVEN_DEPS_PREFIX $ENV{QUAVEN_DEPS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${QUAVEN_MINGW_PREFIX} ${QUAVEN_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${QUAVEN_DEPS_PREFIX}/lib/pkgconfig")

# Deterministic float (behaviours truncate float products) and static runtimes, so every
# .exe and .dll needs only system DLLs.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(ZLIB_USE_STATIC_LIBS ON)
