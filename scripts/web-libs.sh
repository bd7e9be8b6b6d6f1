#!/usr/bin/env bash
# Builds the libraries the browser player links, from Debian's own source packages, with
# emscripten, into a cache folder that later runs reuse:
#   CACHE/src/      unpacked source packages (Debian's patches applied)
#   CACHE/prefix/   headers, static libraries and pkg-config files
#   CACHE/stamps/   one file per library built, named by its version and this recipe
# A library is rebuilt only when its Debian version or its recipe below changes.
#
# Usage: scripts/web-libs.sh CACHE
set -euo pipefail
CACHE=${1:?usage: web-libs.sh CACHE}
mkdir -p "$CACHE/src" "$CACHE/prefix" "$CACHE/stamps" "$CACHE/apt/lists/partial" "$CACHE/em-cache"
CACHE=$(cd "$CACHE" && pwd)
PREFIX=$CACHE/prefix
JOBS=${JOBS:-2}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
export PKG_CONFIG_PATH=$PREFIX/lib/pkgconfig
# Two shared cores: the library builds give way to whatever else runs.
NICE="nice -n 10"

# A private apt configuration with Debian's source archive: the machine's own lists and
# sources stay as they are.
APT_OPTS=(-o "Dir::Etc::SourceList=$CACHE/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$CACHE/apt/lists" -o Debug::NoLocking=1)
echo "deb-src http://deb.debian.org/debian bookworm main" >"$CACHE/apt/sources.list"
if [ -z "$(ls -A "$CACHE/apt/lists" 2>/dev/null | grep -v partial)" ] || [ -n "${WEB_LIBS_UPDATE:-}" ]; then
  apt-get "${APT_OPTS[@]}" update -q >/dev/null
fi

version_of() {
  apt-cache "${APT_OPTS[@]}" showsrc "$1" | awk '/^Version:/ {print $2; exit}'
}

# Unpacks source package $1 into CACHE/src/$1 (fresh each time its version changes) and
# prints the folder.
unpack() {
  local package=$1 version folder
  version=$(version_of "$package")
  folder=$CACHE/src/$package-${version//[:~]/_}
  if [ ! -f "$folder/.unpacked" ]; then
    rm -rf "$folder" "$CACHE/src/tmp-$package"
    mkdir -p "$CACHE/src/tmp-$package"
    (cd "$CACHE/src/tmp-$package" && apt-get "${APT_OPTS[@]}" source -q "$package/bookworm" >/dev/null)
    local unpacked
    unpacked=$(find "$CACHE/src/tmp-$package" -mindepth 1 -maxdepth 1 -type d | head -n1)
    mv "$unpacked" "$folder"
    rm -rf "$CACHE/src/tmp-$package"
    touch "$folder/.unpacked"
  fi
  echo "$folder"
}

# build NAME SOURCE-PACKAGE: runs recipe_NAME in the unpacked source unless its stamp exists.
build() {
  local name=$1 package=$2 version recipe stamp folder start
  version=$(version_of "$package")
  recipe=$(declare -f "recipe_$name" | sha1sum | cut -c1-12)
  stamp=$CACHE/stamps/$name-${version//[:~]/_}-$recipe
  if [ -f "$stamp" ]; then return 0; fi
  folder=$(unpack "$package")
  echo "web-libs: building $name $version"
  start=$SECONDS
  # Not part of an && or || list, so that the first failing step stops the recipe.
  set +e
  (
    set -e
    cd "$folder"
    "recipe_$name"
  ) >"$CACHE/stamps/$name.log" 2>&1
  local status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "web-libs: $name failed; the log is $CACHE/stamps/$name.log" >&2
    tail -n 30 "$CACHE/stamps/$name.log" >&2
    exit 1
  fi
  rm -f "$CACHE/stamps/$name"-*
  touch "$stamp"
  echo "web-libs: $name built in $((SECONDS - start)) s"
}

# CMake runs its configure probes (type sizes) under node. emcmake would add a flag that
# node 20 refuses; the probes run with plain node instead.
mkdir -p "$CACHE/bin"
printf '#!/bin/sh\nexec node --no-experimental-fetch "$@"\n' >"$CACHE/bin/node-emulator"
chmod +x "$CACHE/bin/node-emulator"

CMAKE_COMMON=(-G Ninja -DCMAKE_CROSSCOMPILING_EMULATOR="$CACHE/bin/node-emulator" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX"
  -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_POLICY_DEFAULT_CMP0074=NEW)

cmake_build() {
  rm -rf web-build
  $NICE emcmake cmake -S . -B web-build "${CMAKE_COMMON[@]}" "$@"
  $NICE cmake --build web-build -j"$JOBS"
  cmake --install web-build
}

recipe_zlib() {
  emmake make distclean >/dev/null 2>&1 || true
  CFLAGS="-O2" $NICE emconfigure ./configure --static --prefix="$PREFIX"
  $NICE emmake make -j"$JOBS" libz.a
  emmake make install
}

recipe_libpng() {
  cmake_build -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_BUILD_ZLIB=OFF \
    -DZLIB_ROOT="$PREFIX"
}

# Its install folder for libraries must be absolute (a relative one lands in the source).
recipe_libjpeg() {
  cmake_build -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_JAVA=OFF -DCMAKE_INSTALL_LIBDIR="$PREFIX/lib" -DHAVE_SIZE_T=TRUE -DSIZE_T=4 \
    -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4
}

recipe_freetype() {
  cmake_build -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON -DZLIB_ROOT="$PREFIX"
}

# tinyxml ships no usable build system: its four sources, with the STL interface the engine
# uses, and a pkg-config file like Debian's.
recipe_tinyxml() {
  local f
  for f in tinyxml tinystr tinyxmlerror tinyxmlparser; do
    $NICE em++ -O2 -DTIXML_USE_STL -c "$f.cpp" -o "$f.o"
  done
  emar rcs libtinyxml.a tinyxml.o tinystr.o tinyxmlerror.o tinyxmlparser.o
  install -D -m644 libtinyxml.a "$PREFIX/lib/libtinyxml.a"
  install -D -m644 tinyxml.h "$PREFIX/include/tinyxml.h"
  install -D -m644 tinystr.h "$PREFIX/include/tinystr.h"
  mkdir -p "$PREFIX/lib/pkgconfig"
  printf 'prefix=%s\nName: TinyXml\nDescription: tinyxml\nVersion: 2.6.2\nLibs: -L${prefix}/lib -ltinyxml\nCflags: -I${prefix}/include -DTIXML_USE_STL\n' \
    "$PREFIX" >"$PREFIX/lib/pkgconfig/tinyxml.pc"
}

recipe_ogg() {
  cmake_build -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
}

recipe_vorbis() {
  cmake_build -DBUILD_TESTING=OFF
}

recipe_flac() {
  cmake_build -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF \
    -DBUILD_CXXLIBS=OFF -DINSTALL_MANPAGES=OFF -DWITH_STACK_PROTECTOR=OFF -DWITH_FORTIFY_SOURCE=OFF
}

# Debian's opus source lacks a file its CMake build includes: the autotools build serves.
recipe_opus() {
  emmake make distclean >/dev/null 2>&1 || true
  # A host other than the build machine makes configure cross-compile (not run what emcc
  # makes); its config.sub knows no wasm32, and no processor-specific code is wanted.
  $NICE emconfigure ./configure --host=i686-pc-linux-gnu --prefix="$PREFIX" \
    --disable-shared --enable-static --disable-extra-programs --disable-doc \
    --disable-stack-protector --disable-intrinsics --disable-rtcd
  $NICE emmake make -j"$JOBS"
  emmake make install
}

recipe_sndfile() {
  cmake_build -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF \
    -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=OFF -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF \
    -DENABLE_PACKAGE_CONFIG=ON
}

recipe_samplerate() {
  cmake_build -DLIBSAMPLERATE_EXAMPLES=OFF -DBUILD_TESTING=OFF -DLIBSAMPLERATE_INSTALL=ON
}

recipe_sdl2() {
  cmake_build -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
}

# xxHash (the player's frame hashes): its one source file.
recipe_xxhash() {
  $NICE emcc -O2 -c xxhash.c -o xxhash.o
  emar rcs libxxhash.a xxhash.o
  install -D -m644 libxxhash.a "$PREFIX/lib/libxxhash.a"
  install -D -m644 xxhash.h "$PREFIX/include/xxhash.h"
  printf 'prefix=%s\nName: libxxhash\nDescription: xxHash\nVersion: 0.8\nLibs: -L${prefix}/lib -lxxhash\nCflags: -I${prefix}/include\n' \
    "$PREFIX" >"$PREFIX/lib/pkgconfig/libxxhash.pc"
}

# libdeflate (the PNG frames of a capture): its portable sources; the processor-specific
# parts build to nothing for wasm.
recipe_libdeflate() {
  local f objects=()
  for f in lib/*.c lib/*/*.c; do
    $NICE emcc -O2 -I. -c "$f" -o "${f//\//_}.o"
    objects+=("${f//\//_}.o")
  done
  emar rcs libdeflate.a "${objects[@]}"
  install -D -m644 libdeflate.a "$PREFIX/lib/libdeflate.a"
  install -D -m644 libdeflate.h "$PREFIX/include/libdeflate.h"
  printf 'prefix=%s\nName: libdeflate\nDescription: libdeflate\nVersion: 1.14\nLibs: -L${prefix}/lib -ldeflate\nCflags: -I${prefix}/include\n' \
    "$PREFIX" >"$PREFIX/lib/pkgconfig/libdeflate.pc"
}

# Dear ImGui's core, which the player's setup dialog is written against.
recipe_imgui() {
  local f objects=()
  for f in imgui imgui_draw imgui_tables imgui_widgets; do
    $NICE em++ -O2 -c "$f.cpp" -o "$f.o"
    objects+=("$f.o")
  done
  emar rcs libimgui.a "${objects[@]}"
  install -D -m644 libimgui.a "$PREFIX/lib/libimgui.a"
  mkdir -p "$PREFIX/include/imgui"
  install -m644 imgui.h imconfig.h imgui_internal.h imstb_rectpack.h imstb_textedit.h \
    imstb_truetype.h "$PREFIX/include/imgui/"
  printf 'prefix=%s\nName: imgui\nDescription: Dear ImGui\nVersion: 1.86\nLibs: -L${prefix}/lib -limgui\nCflags: -I${prefix}/include/imgui\n' \
    "$PREFIX" >"$PREFIX/lib/pkgconfig/imgui.pc"
}

build zlib zlib
build libpng libpng1.6
build libjpeg libjpeg-turbo
build freetype freetype
build tinyxml tinyxml
build ogg libogg
build vorbis libvorbis
build flac flac
build opus opus
build sndfile libsndfile
build samplerate libsamplerate0
build imgui imgui
build xxhash xxhash
build libdeflate libdeflate
build sdl2 libsdl2
echo "web-libs: all libraries are in $PREFIX"
