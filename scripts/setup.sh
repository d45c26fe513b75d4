#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian 12 machine (as root).
# Idempotent: a second run checks and returns within seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

need_pkgs=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xauth xdotool imagemagick nasm cmake ninja-build
  googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev llvm clang-tidy
  zlib1g-dev libjpeg62-turbo-dev fp-utils dpkg-dev nsis
  libdeflate-dev libpng-dev libspng-dev libgif-dev libtiff-dev libzip-dev libstb-dev libwebp-dev webp
  zip unzip p7zip-full libarchive-tools x11-apps fonts-dejavu-core fonts-ipafont-gothic pkg-config python3 python3-pil python-matplotlib-data
)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

# Source packages (libjpeg-turbo, unrar-nonfree) need deb-src entries; rar and
# unrar-nonfree live in non-free. Binary main is already configured by the system.
ensure_sources() {
  local f=/etc/apt/sources.list.d/pagewick-src.sources
  local want
  want=$(cat <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: contrib non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
)
  if [ -f "$f" ] && [ "$(cat "$f")" = "$want" ]; then return 1; fi
  echo "setup: adding deb-src and non-free apt entries ($f)"
  printf '%s\n' "$want" > "$f"
  return 0
}

updated=0
if ensure_sources; then apt-get update -qq; updated=1; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  [ $updated = 1 ] || apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# rar (non-free) writes RAR fixtures for the archive tests.
if ! command -v rar >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq rar >/dev/null || echo "setup: rar not available"
fi

"$here/scripts/build-jpeg-win64.sh"
"$here/scripts/build-unrar-win64.sh"
"$here/scripts/build-webp-win64.sh"
"$here/scripts/build-deflate-win64.sh"
