#!/usr/bin/env bash
# Cross-builds libdeflate (Debian's source package, with Debian's patches applied) as a static
# library for x86_64-w64-mingw32, into build/deps/deflate-win64/{include,lib}: raw deflate both
# ways (pages and members inflated, folders packed into ZIP) and the checksums;
# libdeflate picks its own SIMD paths (BMI2, PCLMUL, AVX2) at run time from the processor.
# Idempotent: returns at once when the stamp matches this script and the library is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
out="$deps/deflate-win64"
work="$deps/src/deflate"
stamp="$out/.stamp"
key=$(sha256sum "$0" | cut -d' ' -f1)
cc=x86_64-w64-mingw32-gcc-posix
ar=x86_64-w64-mingw32-ar

if [ -f "$out/lib/libdeflate.a" ] && [ -f "$out/include/libdeflate.h" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$key" ]; then
  echo "build-deflate-win64: up to date ($out)"
  exit 0
fi
echo "build-deflate-win64: building libdeflate (static) for win64 into $out"

for tool in "$cc" "$ar" dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-deflate-win64: missing $tool (run scripts/setup.sh)" >&2; exit 1; }
done

# Debian's source package: apt-get source unpacks it and applies debian/patches.
find_src() { find "$work" -mindepth 2 -maxdepth 2 -name libdeflate.h -path '*/libdeflate-*/*' 2>/dev/null | head -n1 || true; }
src=$(find_src)
if [ -z "$src" ] || [ ! -f "$work/.unpacked" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  fetch() {
    (cd "$work" && apt-get -o APT::Sandbox::User=root -qq source --only-source libdeflate) >"$deps/src/deflate-apt.log" 2>&1
  }
  if ! fetch; then
    echo "build-deflate-win64: source not found, running apt-get update once"
    apt-get update -qq >/dev/null 2>&1 || true
    rm -rf "$work" && mkdir -p "$work"
    fetch || { cat "$deps/src/deflate-apt.log" >&2; exit 1; }
  fi
  src=$(find_src)
  [ -n "$src" ] || { echo "build-deflate-win64: no unpacked source in $work" >&2; exit 1; }
  touch "$work/.unpacked"
fi
src=$(cd "$(dirname "$src")" && pwd)

bld="$deps/src/deflate-build-win64"
rm -rf "$bld"
mkdir -p "$bld"
log="$deps/src/deflate-build.log"
sources=(lib/deflate_decompress.c lib/deflate_compress.c lib/zlib_decompress.c lib/gzip_decompress.c lib/adler32.c lib/crc32.c
  lib/utils.c lib/x86/cpu_features.c)
{
  for s in "${sources[@]}"; do
    obj="$bld/$(basename "${s%.c}").o"
    "$cc" -O2 -fomit-frame-pointer -std=c99 -Wall -DNDEBUG -I"$src" -c "$src/$s" -o "$obj"
  done
  "$ar" rcs "$bld/libdeflate.a" "$bld"/*.o
} >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "build-deflate-win64: build failed (log: $log)" >&2; exit 1; }

# Put the result in place last: a failed build leaves the previous one untouched.
stage="$out.new"
rm -rf "$stage"
mkdir -p "$stage/include" "$stage/lib"
cp "$bld/libdeflate.a" "$stage/lib/"
cp "$src/libdeflate.h" "$stage/include/"
echo "$key" >"$stage/.stamp"
rm -rf "$out"
mv "$stage" "$out"
