#!/usr/bin/env bash
# The import check over what a package holds: clean libraries pass; a library
# importing a DLL that Windows does not ship fails, even deep in a sub-folder,
# even as a plug-in; the RAR library fails by its presence alone; an empty
# package fails rather than passing with nothing checked.
#   check_imports_test.sh CLEAN_DLL WORKDIR
set -euo pipefail
clean=$1
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
cc=${CC_WIN64:-x86_64-w64-mingw32-gcc}
dlltool=${DLLTOOL:-x86_64-w64-mingw32-dlltool}
rm -rf "$work"
mkdir -p "$work"

# A library importing zlib1.dll, which Windows does not ship.
printf 'LIBRARY zlib1.dll\nEXPORTS\n  crc32\n' >"$work/zlib1.def"
"$dlltool" -d "$work/zlib1.def" -l "$work/libzlib1.a"
printf 'unsigned long crc32(unsigned long, const void*, unsigned);\n__declspec(dllexport) unsigned long f(void) { return crc32(0, 0, 0); }\n' >"$work/foreign.c"
"$cc" -shared -nostdlib -Wl,--entry=0 -o "$work/foreign.dll" "$work/foreign.c" -L"$work" -lzlib1

# name | files placed in the package (source:destination) | wanted exit (0 or 1)
cases=(
    "clean libraries|$clean:English.dll $clean:plugins/ok.sph|0"
    "foreign import at the top|$clean:English.dll $work/foreign.dll:Helper.dll|1"
    "foreign import in a plug-in|$clean:English.dll $work/foreign.dll:plugins/webp.sph|1"
    "foreign import two folders down|$clean:English.dll $work/foreign.dll:a/b/x.dll|1"
    "RAR library shipped|$clean:English.dll $clean:unrar64.dll|1"
    "nothing to check|$work/zlib1.def:ReadMe.txt|1"
)
failures=0
for row in "${cases[@]}"; do
    IFS='|' read -r name files want <<<"$row"
    pkg="$work/pkg"
    rm -rf "$pkg"
    mkdir -p "$pkg"
    for pair in $files; do
        mkdir -p "$(dirname "$pkg/${pair#*:}")"
        cp "${pair%%:*}" "$pkg/${pair#*:}"
    done
    got=0
    bash "$root/scripts/check-imports.sh" --shipped "$pkg" >"$work/out.log" 2>&1 || got=1
    if [ "$got" = "$want" ]; then
        echo "ok: $name"
    else
        echo "FAIL: $name: exit $got, wanted $want"
        cat "$work/out.log"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
