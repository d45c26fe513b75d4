#!/usr/bin/env bash
# Cross-builds libwebp's decoder (Debian's source package, with Debian's patches applied) as a
# static library for x86_64-w64-mingw32, into build/deps/webp-win64/{include,lib}. Only the
# decoding library is built (no encoder, no tools), which keeps set-up short.
# Idempotent: returns at once when the stamp matches this script and the library is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
out="$deps/webp-win64"
work="$deps/src/webp"
stamp="$out/.stamp"
key=$(sha256sum "$0" | cut -d' ' -f1)

if [ -f "$out/lib/libwebpdecoder.a" ] && [ -f "$out/include/webp/decode.h" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$key" ]; then
  echo "build-webp-win64: up to date ($out)"
  exit 0
fi
echo "build-webp-win64: building libwebp's decoder (static) for win64 into $out"

for tool in x86_64-w64-mingw32-gcc-posix cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-webp-win64: missing $tool (run scripts/setup.sh)" >&2; exit 1; }
done

# Debian's source package: apt-get source unpacks it and applies debian/patches.
find_src() { find "$work" -mindepth 4 -maxdepth 4 -name decode.h -path '*/libwebp-*/src/webp/*' 2>/dev/null | head -n1 || true; }
src=$(find_src)
if [ -z "$src" ] || [ ! -f "$work/.unpacked" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  fetch() {
    (cd "$work" && apt-get -o APT::Sandbox::User=root -qq source --only-source libwebp) >"$deps/src/webp-apt.log" 2>&1
  }
  if ! fetch; then
    echo "build-webp-win64: source not found, running apt-get update once"
    apt-get update -qq >/dev/null 2>&1 || true
    rm -rf "$work" && mkdir -p "$work"
    fetch || { cat "$deps/src/webp-apt.log" >&2; exit 1; }
  fi
  src=$(find_src)
  [ -n "$src" ] || { echo "build-webp-win64: no unpacked source in $work" >&2; exit 1; }
  touch "$work/.unpacked"
fi
src=$(cd "$(dirname "$src")/../.." && pwd)

bld="$deps/src/webp-build-win64"
rm -rf "$bld"
log="$deps/src/webp-build.log"
{
  cmake -S "$src" -B "$bld" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_USE_THREAD=OFF -DWEBP_ENABLE_SIMD=ON &&
  cmake --build "$bld" --target webpdecoder -j2
} >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "build-webp-win64: build failed (log: $log)" >&2; exit 1; }

lib=$(find "$bld" -name libwebpdecoder.a | head -n1)
[ -n "$lib" ] || { echo "build-webp-win64: no libwebpdecoder.a (log: $log)" >&2; exit 1; }

# Put the result in place last: a failed build leaves the previous one untouched.
stage="$out.new"
rm -rf "$stage"
mkdir -p "$stage/include/webp" "$stage/lib"
cp "$lib" "$stage/lib/"
cp "$src/src/webp/decode.h" "$src/src/webp/types.h" "$stage/include/webp/"
echo "$key" >"$stage/.stamp"
rm -rf "$out"
mv "$stage" "$out"
