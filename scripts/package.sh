#!/usr/bin/env bash
# Makes the two packages of the win64 build:
#   DIST/Pagewick-<version>-win64.zip        unpack anywhere; settings beside the program
#   DIST/Pagewick-<version>-win64-setup.exe  installer (makensis)
#   package.sh [WIN64_BUILD_DIR [DIST_DIR]]   defaults: build/win64 and build/dist
# The version is the one the build wrote into generated/pw_version.h. The help
# file and our plug-ins go in when the build made them; the RAR library, a test
# companion in the same folder, never does. The staged folder
# DIST/Pagewick-<version>-win64/ is kept: it is what both packages hold.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
dist=${2:-$root/build/dist}
bin=$build/bin

version=$(sed -n 's/^#define PW_VERSION_TEXT "\([0-9.]*\)"$/\1/p' "$build/generated/pw_version.h" 2>/dev/null || true)
[ -n "$version" ] || { echo "package: no version in $build/generated/pw_version.h (configure the win64 build first)" >&2; exit 1; }
for f in Pagewick.exe English.dll Japanese.dll; do
    [ -f "$bin/$f" ] || { echo "package: $bin/$f is missing (build the win64 preset first)" >&2; exit 1; }
done

name=Pagewick-$version-win64
stage=$dist/$name
mkdir -p "$dist"
rm -rf "$stage" "$dist/$name.zip" "$dist/$name-setup.exe"
mkdir -p "$stage/licenses"

cp "$bin/Pagewick.exe" "$bin/English.dll" "$bin/Japanese.dll" "$stage/"
[ -f "$bin/Pagewick.chm" ] && cp "$bin/Pagewick.chm" "$stage/"
plugins=()
for dir in "$bin/plugins" "$build/plugins"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do plugins+=("$file"); done \
        < <(find "$dir" -maxdepth 1 -type f \( -iname '*.sph' -o -iname '*.spi' \) -print0)
done
if [ ${#plugins[@]} -gt 0 ]; then
    mkdir -p "$stage/plugins"
    cp "${plugins[@]}" "$stage/plugins/"
fi
cp "$root/res/dist/ReadMe.txt" "$root/res/dist/ReadMe-ja.txt" "$root/res/dist/License.txt" "$stage/"

# Licences of what is linked in: libjpeg-turbo, libdeflate and zlib (static), the MinGW-w64
# runtime and the GCC runtime libraries (static), libwebp when a plug-in on it ships.
licence() {  # licence OUTPUT SOURCE...: the first source that exists, or failure
    local out=$1 src
    shift
    for src in "$@"; do
        if [ -f "$src" ]; then
            cp "$src" "$stage/licenses/$out"
            return 0
        fi
    done
    echo "package: no licence text for $out (looked at $*)" >&2
    return 1
}
jpegsrc=$(find "$root/build/deps/src/jpeg" -maxdepth 1 -type d -name 'libjpeg-turbo-*' 2>/dev/null | head -1)
licence libjpeg-turbo.txt "$jpegsrc/LICENSE.md"
cat "$jpegsrc/README.ijg" >>"$stage/licenses/libjpeg-turbo.txt"
deflatesrc=$(find "$root/build/deps/src/deflate" -maxdepth 1 -type d -name 'libdeflate-*' 2>/dev/null | head -1)
licence libdeflate.txt "$deflatesrc/COPYING"
licence zlib.txt /usr/share/doc/libz-mingw-w64/copyright /usr/share/doc/libz-mingw-w64-dev/copyright
licence mingw-w64-runtime.txt /usr/share/doc/mingw-w64-common/copyright
licence gcc-runtime.txt /usr/share/doc/gcc-mingw-w64-base/copyright
if [ ${#plugins[@]} -gt 0 ] && grep -l -i -a 'webp' "${plugins[@]}" >/dev/null 2>&1; then
    licence libwebp.txt $(find "$root/build/deps/src" -maxdepth 3 -name COPYING -path '*webp*' 2>/dev/null)
fi

# Text files read by Windows users: CR LF line ends.
find "$stage" -name '*.txt' -exec sed -i 's/\r*$/\r/' {} +

# Never a test companion, whatever the build folder holds.
if find "$stage" -iname 'unrar*' | grep -q .; then
    echo "package: a test companion reached the package" >&2
    exit 1
fi

# The portable package starts with an empty settings file beside the program:
# the program then keeps its settings there. The installer ships none (Program
# Files is not the user's to write), so settings go to the user's profile.
: >"$stage/Pagewick.ini"
(cd "$dist" && rm -f "$name.zip" && zip -q -r -X "$name.zip" "$name")
rm "$stage/Pagewick.ini"

# The installer installs exactly the staged files; its uninstaller deletes
# exactly them. Both lists are written here from the staged folder.
files=$dist/$name-files.nsh
unfiles=$dist/$name-unfiles.nsh
: >"$files"
: >"$unfiles"
winrel() { sed 's|/|\\|g' <<<"$1"; }
while IFS= read -r dir; do
    rel=${dir#"$stage"}
    rel=${rel#/}
    echo "SetOutPath \"\$INSTDIR${rel:+\\$(winrel "$rel")}\"" >>"$files"
    while IFS= read -r file; do
        frel=${file#"$stage"/}
        echo "File \"$file\"" >>"$files"
        echo "Delete \"\$INSTDIR\\$(winrel "$frel")\"" >>"$unfiles"
    done < <(find "$dir" -maxdepth 1 -type f | sort)
done < <(find "$stage" -type d | sort)
# Folders deepest first, each only when empty.
while IFS= read -r dir; do
    rel=${dir#"$stage"/}
    echo "RMDir \"\$INSTDIR\\$(winrel "$rel")\"" >>"$unfiles"
done < <(find "$stage" -mindepth 1 -type d | sort -r)

# Windows wants four numbers in an installer's version.
version4=$version
while [ "$(tr -cd . <<<"$version4" | wc -c)" -lt 3 ]; do version4+=.0; done
makensis -V2 -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DVERSION4=$version4" "-DICON=$root/res/program/pagewick.ico" "-DFILES=$files" "-DUNFILES=$unfiles" \
    "-DOUTFILE=$dist/$name-setup.exe" "-DSTAGE=$stage" \
    "$root/res/dist/installer.nsi"
rm -f "$files" "$unfiles"
echo "package: $dist/$name.zip"
echo "package: $dist/$name-setup.exe"
