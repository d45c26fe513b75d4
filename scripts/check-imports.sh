#!/usr/bin/env bash
# Fails when a shipped Windows binary imports a DLL that Windows 7 to 11 do not
# ship. Wine brings many more libraries (zlib1.dll among them) in its system
# folder, so a program that runs under Wine may still not start on Windows; the
# import tables are what tell.
#   check-imports.sh WIN64_BUILD_DIR
#   check-imports.sh --shipped PATH...
# The first form checks Pagewick.exe, pwinspect.exe and every .dll, .sph and .spi
# in bin/ and plugins/, except the RAR library, which is a test companion and not
# ours. The second checks what a package holds: every program and library in the
# folders (all depths) and files given, the installer itself among them; there a
# RAR library is a failure of its own, as it must never ship.
set -euo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll shlwapi.dll
 ole32.dll oleaut32.dll advapi32.dll hhctrl.ocx msvcrt.dll uxtheme.dll dwmapi.dll version.dll
 winmm.dll shcore.dll propsys.dll ntdll.dll imm32.dll winspool.drv ws2_32.dll crypt32.dll
 bcrypt.dll msimg32.dll usp10.dll "
allowed=$(tr '\n' ' ' <<<"$allowed")

binaries=()
bad=0
if [ "${1:-}" = "--shipped" ]; then
    shift
    [ $# -gt 0 ] || { echo "usage: check-imports.sh --shipped PATH..." >&2; exit 2; }
    build=""
    for path in "$@"; do
        [ -e "$path" ] || { echo "imports: $path does not exist" >&2; exit 1; }
        while IFS= read -r -d '' file; do
            case "$(basename "$file" | tr 'A-Z' 'a-z')" in
                unrar*)
                    echo "imports: $file is a test companion and must not ship" >&2
                    bad=$((bad + 1))
                    ;;
                *) binaries+=("$file") ;;
            esac
        done < <(find "$path" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.sph' -o -iname '*.spi' \
            -o -iname '*.ocx' -o -iname '*.cpl' \) -print0)
    done
    if [ ${#binaries[@]} -eq 0 ]; then
        echo "imports: no program or library in $*: nothing was checked" >&2
        exit 1
    fi
else
    build=${1:?usage: check-imports.sh WIN64_BUILD_DIR | --shipped PATH...}
    for name in Pagewick.exe pwinspect.exe; do
        [ -f "$build/bin/$name" ] && binaries+=("$build/bin/$name")
    done
    for dir in "$build/bin" "$build/plugins"; do
        [ -d "$dir" ] || continue
        while IFS= read -r -d '' file; do
            case "$(basename "$file" | tr 'A-Z' 'a-z')" in
                unrar64.dll) ;;
                *) binaries+=("$file") ;;
            esac
        done < <(find "$dir" -maxdepth 2 -type f \( -iname '*.dll' -o -iname '*.sph' -o -iname '*.spi' \) -print0)
    done
    if [ ! -f "$build/bin/Pagewick.exe" ] || [ ${#binaries[@]} -eq 0 ]; then
        echo "imports: Pagewick.exe not found under $build/bin: nothing was checked" >&2
        exit 1
    fi
fi

for file in "${binaries[@]}"; do
    if ! dump=$("$objdump" -p "$file" 2>&1); then
        echo "imports: $file: unreadable: $dump" >&2
        bad=$((bad + 1))
        continue
    fi
    names=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr 'A-Z' 'a-z' | tr -d '\r' | sort -u)
    foreign=""
    for dll in $names; do
        case "$allowed" in
            *" $dll "*) ;;
            *) foreign+=" $dll" ;;
        esac
    done
    if [ -n "$foreign" ]; then
        echo "imports: ${file#"${build:+$build/}"} imports what Windows does not ship:$foreign" >&2
        bad=$((bad + 1))
    else
        echo "ok: ${file#"${build:+$build/}"} (${names//$'\n'/ })"
    fi
done
echo "imports: ${#binaries[@]} binaries checked, $bad with foreign imports"
[ "$bad" -eq 0 ]
