#!/usr/bin/env bash
# Builds libjpeg-turbo (Debian's source package, Debian's patches applied) as a
# static library with clang, AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer coverage, into OUTDIR/{include,lib}, for deeper runs of jpeg_fuzzer:
#   fuzz/jpeg/build-instrumented-jpeg.sh OUTDIR
#   cmake ... -DPW_JPEG_FUZZ_DIR=OUTDIR
# SIMD is off so that the sanitizers see the C code paths. Shares the unpacked
# source with scripts/build-jpeg-win64.sh (build/deps/src/jpeg).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
work="$here/build/deps/src/jpeg"

find_src() { find "$work" -mindepth 2 -maxdepth 2 -name jpeglib.h -path '*/libjpeg-turbo-*' 2>/dev/null | head -n1 || true; }
src=$(find_src)
if [ -z "$src" ]; then
  mkdir -p "$work"
  (cd "$work" && apt-get -o APT::Sandbox::User=root -qq source --only-source libjpeg-turbo) >/dev/null
  src=$(find_src)
  [ -n "$src" ] || { echo "build-instrumented-jpeg: no unpacked source in $work" >&2; exit 1; }
fi
src=$(dirname "$src")

bld="$out/build"
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link"
cmake -S "$src" -B "$bld" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_C_FLAGS="$flags" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_FUZZ=OFF \
  -DWITH_SIMD=OFF >"$out/build.log" 2>&1
cmake --build "$bld" --target jpeg-static -j2 >>"$out/build.log" 2>&1 ||
  { tail -n 30 "$out/build.log" >&2; exit 1; }
mkdir -p "$out/include" "$out/lib"
cp "$bld/libjpeg.a" "$out/lib/"
cp "$bld/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$out/include/"
echo "build-instrumented-jpeg: $out/lib/libjpeg.a"
