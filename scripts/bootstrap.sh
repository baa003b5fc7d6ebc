#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test Quaven: installs the cross toolchain, Wine and
# Xvfb, then builds the third-party libraries for MinGW from Debian's source packages into a
# cache outside the work tree. Each library is rebuilt only when its version, the toolchain or
# the flags change, so a warm run takes seconds.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUAVEN_CACHE:-$HOME/.cache/quaven}
prefix=$cache/deps
work=$cache/work
toolchain=$here/cmake/toolchain-mingw-i686.cmake
jobs=$(nproc)

log() { printf '[bootstrap] %s\n' "$*"; }

# clang and the 32-bit C++ library: scripts/fuzz.sh builds the parsers that need no Windows
# for Linux under libFuzzer with the sanitizers.
# wine32 comes without recommends: Direct3D 11 under Wine needs 32-bit Mesa (libgl1:i386,
# libgl1-mesa-dri:i386), or device creation fails even for WARP.
packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix cmake ninja-build nasm dpkg-dev
          libz-mingw-w64-dev googletest wine wine32 xvfb xauth bison python3
          x11-apps vorbis-tools libjpeg-turbo-progs fonts-dejavu-core glslang-tools sox
          libgl1:i386 libgl1-mesa-dri:i386
          clang lib32stdc++-12-dev libc6-dev-i386)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # The Debian source lists (deb-src) are ours once written, in either apt format.
  local have_src=0
  ls /etc/apt/sources.list.d/quaven-src.* >/dev/null 2>&1 && have_src=1
  if [ ${#missing[@]} -eq 0 ] && [ $have_src = 1 ]; then return; fi
  [ "$(id -u)" = 0 ] || { log "needs root to install: ${missing[*]}"; exit 1; }
  log "installing: ${missing[*]:-source lists}"
  dpkg --add-architecture i386
  if [ $have_src = 0 ]; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        > /etc/apt/sources.list.d/quaven-src.sources
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/quaven-src.list
    fi
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
}

# Fetches and unpacks a Debian source package, trying the listed versions newest first
# (the security archive does not always serve the .dsc that the index names).
fetch_source() {
  local pkg=$1
  local dir=$work/src/$pkg
  if [ -f "$dir/.unpacked" ]; then cat "$dir/.unpacked"; return; fi
  rm -rf "$dir"; mkdir -p "$dir"
  local versions
  versions=$(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV | uniq)
  for v in $versions; do
    if (cd "$dir" && apt-get source -qq --download-only "$pkg=$v" >/dev/null 2>&1); then
      (cd "$dir" && dpkg-source -q -x ./*.dsc tree >/dev/null 2>&1)
      echo "$v" > "$dir/.unpacked"
      echo "$v"; return
    fi
    rm -f "$dir"/*
  done
  log "could not fetch the source of $pkg"; exit 1
}


# build_cmake NAME SOURCE_DIR VERSION FLAGS...
build_cmake() {
  local name=$1 src=$2 version=$3; shift 3
  local key="$version $toolchain_id $*"
  local stamp=$prefix/stamps/$name
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$key" ]; then log "$name $version: cached"; return; fi
  log "building $name $version"
  local b=$work/build/$name
  rm -rf "$b"; mkdir -p "$work/build"
  cmake -S "$src" -B "$b" -G Ninja --log-level=ERROR -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUAVEN_DEPS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_POLICY_DEFAULT_CMP0074=NEW "$@" >"$b.log" 2>&1 \
    || { tail -30 "$b.log"; exit 1; }
  cmake --build "$b" -j "$jobs" >>"$b.log" 2>&1 || { tail -30 "$b.log"; exit 1; }
  cmake --install "$b" >>"$b.log" 2>&1 || { tail -30 "$b.log"; exit 1; }
  mkdir -p "$prefix/stamps"; echo "$key" > "$stamp"
}

install_packages
mkdir -p "$prefix" "$work"
# One bootstrap at a time per cache: concurrent runs would build into the same folders.
exec 9>"$cache/.bootstrap.lock"
flock 9
# Hashed from its content alone, so that clones in other folders share the cache.
toolchain_id=$( (i686-w64-mingw32-g++-posix --version | head -1; md5sum <"$toolchain") | md5sum | cut -c1-12)

zlib=(-DZLIB_USE_STATIC_LIBS=ON -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a
      -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include)

v=$(fetch_source libpng1.6)
build_cmake libpng "$work/src/libpng1.6/tree" "$v" "${zlib[@]}" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
v=$(fetch_source freetype)
build_cmake freetype "$work/src/freetype/tree" "$v" "${zlib[@]}" \
  -DPNG_LIBRARY="$prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$prefix/include" \
  -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_REQUIRE_PNG=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
v=$(fetch_source libjpeg-turbo)
build_cmake libjpeg "$work/src/libjpeg-turbo/tree" "$v" \
  -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON
v=$(fetch_source libogg)
build_cmake libogg "$work/src/libogg/tree" "$v" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
v=$(fetch_source libvorbis)
build_cmake libvorbis "$work/src/libvorbis/tree" "$v" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
# The XML libraries are the benchmarks' baselines only; the engine does not link them. They
# are built with the engine's own build type, so that a comparison is one of code, not of
# optimisation levels.
v=$(fetch_source tinyxml2)
build_cmake tinyxml2 "$work/src/tinyxml2/tree" "$v" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -Dtinyxml2_BUILD_TESTING=OFF
v=$(fetch_source pugixml)
build_cmake pugixml "$work/src/pugixml/tree" "$v" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF
v=$(dpkg-query -W -f='${Version}' googletest)
build_cmake googletest /usr/src/googletest "$v" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF

log "dependencies ready in $prefix"
