#!/usr/bin/env bash
# Cross-builds libjpeg-turbo (Debian's source package, with Debian's patches applied) as a static
# library with SIMD for x86_64-w64-mingw32, into build/deps/jpeg-win64/{include,lib}.
# Idempotent: returns at once when the stamp matches this script and the library is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
out="$deps/jpeg-win64"
work="$deps/src/jpeg"
stamp="$out/.stamp"
key=$(sha256sum "$0" | cut -d' ' -f1)

if [ -f "$out/lib/libjpeg.a" ] && [ -f "$out/include/jpeglib.h" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$key" ]; then
  echo "build-jpeg-win64: up to date ($out)"
  exit 0
fi
echo "build-jpeg-win64: building libjpeg-turbo (static, SIMD) for win64 into $out"

cc=x86_64-w64-mingw32-gcc-posix
for tool in "$cc" x86_64-w64-mingw32-nm nasm cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-jpeg-win64: missing $tool (run scripts/setup.sh)" >&2; exit 1; }
done

# Debian's source package: apt-get source unpacks it and applies debian/patches.
find_src() { find "$work" -mindepth 2 -maxdepth 2 -name jpeglib.h -path '*/libjpeg-turbo-*' 2>/dev/null | head -n1 || true; }
src=$(find_src)
if [ -z "$src" ] || [ ! -f "$work/.unpacked" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  fetch() {
    (cd "$work" && apt-get -o APT::Sandbox::User=root -qq source --only-source libjpeg-turbo) >"$deps/src/jpeg-apt.log" 2>&1
  }
  if ! fetch; then
    echo "build-jpeg-win64: source not found, running apt-get update once"
    apt-get update -qq >/dev/null 2>&1 || true
    rm -rf "$work" && mkdir -p "$work"
    fetch || { cat "$deps/src/jpeg-apt.log" >&2; exit 1; }
  fi
  src=$(find_src)
  [ -n "$src" ] || { echo "build-jpeg-win64: no unpacked source in $work" >&2; exit 1; }
  touch "$work/.unpacked"
fi
src=$(dirname "$src")

bld="$deps/src/jpeg-build-win64"
rm -rf "$bld"
log="$deps/src/jpeg-build.log"
{
  cmake -S "$src" -B "$bld" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$out" \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_FUZZ=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DCMAKE_ASM_NASM_COMPILER="$(command -v nasm)" &&
  cmake --build "$bld" --target jpeg-static -j2
} >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "build-jpeg-win64: build failed (log: $log)" >&2; exit 1; }

# SIMD must really be in: the x86-64 dispatcher plus the nasm-built kernels.
nm_out=$(x86_64-w64-mingw32-nm "$bld/libjpeg.a" 2>/dev/null)
if ! grep -q ' T jsimd_idct_islow_avx2' <<<"$nm_out" || ! grep -q ' T jsimd_can_idct_islow' <<<"$nm_out"; then
  echo "build-jpeg-win64: libjpeg.a has no SIMD code (log: $log)" >&2
  exit 1
fi

# Put the result in place last: a failed build leaves the previous one untouched.
stage="$out.new"
rm -rf "$stage"
mkdir -p "$stage/include" "$stage/lib"
cp "$bld/libjpeg.a" "$stage/lib/"
cp "$bld/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$stage/include/"
echo "$key" >"$stage/.stamp"
rm -rf "$out"
mv "$stage" "$out"
