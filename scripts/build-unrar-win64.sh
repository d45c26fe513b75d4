#!/usr/bin/env bash
# Cross-builds unrar64.dll from Debian's unrar-nonfree source package (non-free, patches applied)
# with MinGW-w64 (posix threads), statically linked, into build/deps/unrar-win64/ beside dll.hpp.
# The DLL is a test companion for the RAR binding only; it is never shipped or linked.
# Idempotent: returns at once when the stamp matches this script and the DLL is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
out="$deps/unrar-win64"
work="$deps/src/unrar"
stamp="$out/.stamp"
key=$(sha256sum "$0" | cut -d' ' -f1)

if [ -f "$out/unrar64.dll" ] && [ -f "$out/dll.hpp" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$key" ]; then
  echo "build-unrar-win64: up to date ($out)"
  exit 0
fi
echo "build-unrar-win64: building unrar64.dll (static, MinGW-w64) into $out"

cxx=x86_64-w64-mingw32-g++-posix
for tool in "$cxx" x86_64-w64-mingw32-objdump ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-unrar-win64: missing $tool (run scripts/setup.sh)" >&2; exit 1; }
done

# Debian's source package: apt-get source unpacks it and applies debian/patches.
find_src() { find "$work" -mindepth 2 -maxdepth 2 -name dll.cpp -path '*/unrar-nonfree-*' 2>/dev/null | head -n1 || true; }
src=$(find_src)
if [ -z "$src" ] || [ ! -f "$work/.unpacked" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  fetch() {
    (cd "$work" && apt-get -o APT::Sandbox::User=root -qq source --only-source unrar-nonfree) >"$deps/src/unrar-apt.log" 2>&1
  }
  if ! fetch; then
    echo "build-unrar-win64: source not found, running apt-get update once"
    apt-get update -qq >/dev/null 2>&1 || true
    rm -rf "$work" && mkdir -p "$work"
    fetch || { cat "$deps/src/unrar-apt.log" >&2; exit 1; }
  fi
  src=$(find_src)
  [ -n "$src" ] || { echo "build-unrar-win64: no unpacked source in $work" >&2; exit 1; }
  touch "$work/.unpacked"
fi
src=$(dirname "$src")

# Shims for what MinGW-w64 lacks: the sources name two headers in mixed case (MinGW ships them
# lowercase and Linux file names are case-sensitive), and comutil.h declares
# _com_util::ConvertStringToBSTR (used by _bstr_t from char strings) without a library defining it.
bld="$deps/src/unrar-build-win64"
rm -rf "$bld"
mkdir -p "$bld/shim-include" "$bld/obj"
echo '#include <powrprof.h>' >"$bld/shim-include/PowrProf.h"
echo '#include <wbemidl.h>' >"$bld/shim-include/Wbemidl.h"
cat >"$bld/com_bstr.cpp" <<'CPP'
// _com_util::ConvertStringToBSTR for MinGW-w64: ANSI code page string to a new BSTR.
#include <windows.h>
#include <comutil.h>

namespace _com_util {
BSTR WINAPI ConvertStringToBSTR(const char *src) {
  if (src == nullptr) return nullptr;
  int n = MultiByteToWideChar(CP_ACP, 0, src, -1, nullptr, 0);
  if (n <= 0) return nullptr;
  BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
  if (s == nullptr) return nullptr;
  MultiByteToWideChar(CP_ACP, 0, src, -1, s, n);
  return s;
}
}  // namespace _com_util
CPP

# The source list of the upstream Windows DLL project (UnRARDll.vcxproj), less the PCH unit.
sources=(archive arcread blake2s cmddata consio crc crypt dll encname errhnd extinfo extract filcreat
  file filefn filestr find getbits global hash headers isnt match options pathfn qopen rar rarvm
  rawread rdwrfn rijndael rs rs16 scantree secpassword sha1 sha256 smallfn strfn strlist system
  threadpool timefn ui unicode unpack volume)
cflags="-O2 -DRARDLL -DUNRAR -DSILENT -D_FILE_OFFSET_BITS=64 -I$bld/shim-include -I$src -w"
libs="-lole32 -loleaut32 -lwbemuuid -luuid -lpowrprof -lshlwapi -lshell32 -ladvapi32 -luser32"
# Every unit but global.cpp opens with rar.hpp (windows.h, shlobj.h, comdef.h, ...): a precompiled
# rar.hpp in the build folder halves the compile time. global.cpp defines INCLUDEGLOBAL first.
{
  echo "rule pch"
  echo "  command = $cxx $cflags -x c++-header \$in -o \$out"
  echo "rule cxx"
  echo "  command = $cxx $cflags -c \$in -o \$out"
  echo "rule cxx_pch"
  echo "  command = $cxx $cflags -Winvalid-pch -include rar.hpp -c \$in -o \$out"
  echo "rule dll"
  echo "  command = $cxx -shared -o \$out $src/dll.def \$in -static -static-libgcc -static-libstdc++ -s $libs"
  echo "build rar.hpp.gch: pch $src/rar.hpp"
  objs=()
  for s in "${sources[@]}"; do
    if [ "$s" = global ]; then
      echo "build obj/$s.o: cxx $src/$s.cpp"
    else
      echo "build obj/$s.o: cxx_pch $src/$s.cpp | rar.hpp.gch"
    fi
    objs+=("obj/$s.o")
  done
  echo "build obj/com_bstr.o: cxx com_bstr.cpp"
  echo "build unrar64.dll: dll ${objs[*]} obj/com_bstr.o"
} >"$bld/build.ninja"
log="$deps/src/unrar-build.log"
ninja -C "$bld" -j2 >"$log" 2>&1 ||
  { tail -n 40 "$log" >&2; echo "build-unrar-win64: build failed (log: $log)" >&2; exit 1; }
rm -f "$bld/rar.hpp.gch" # ~150 MB, not needed once linked

# Exports must carry their plain names, and the DLL must need no MinGW runtime DLL.
pe=$(x86_64-w64-mingw32-objdump -p "$bld/unrar64.dll")
for name in RAROpenArchiveEx RARReadHeaderEx RARProcessFileW RARCloseArchive RARSetCallback RARGetDllVersion; do
  grep -Eq "\] $name\$" <<<"$pe" || { echo "build-unrar-win64: export $name missing" >&2; exit 1; }
done
if grep -Ei 'DLL Name: (libstdc|libgcc|libwinpthread)' <<<"$pe" >&2; then
  echo "build-unrar-win64: DLL needs MinGW runtime DLLs" >&2
  exit 1
fi

# Put the result in place last: a failed build leaves the previous one untouched.
stage="$out.new"
rm -rf "$stage"
mkdir -p "$stage"
cp "$bld/unrar64.dll" "$src/dll.hpp" "$stage/"
echo "$key" >"$stage/.stamp"
rm -rf "$out"
mv "$stage" "$out"
