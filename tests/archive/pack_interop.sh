#!/usr/bin/env bash
# Packs a folder with UTF-8 names, a zero-byte file, a subfolder and a .git folder
# through `pwinspect pack`, stored and deflated, and checks that other ZIP
# readers (unzip, Python's zipfile, 7z) and our own (`pwinspect list`/`read`)
# see the same members with the same bytes.
# usage: pack_interop.sh PWINSPECT
set -euo pipefail
pwinspect=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src="$work/Vol.2"
mkdir -p "$src/日本語" "$src/sub/deeper" "$src/.git"
head -c 200000 /dev/urandom > "$src/p01.jpg"
seq 1 20000 > "$src/日本語/ページ01.txt"
: > "$src/empty.txt"
: > "$src/.nomedia"
echo deep > "$src/sub/deeper/c.txt"
echo secret > "$src/.git/config"
mkdir -p "$work/out"

for mode in store deflate; do
    flag=()
    [ "$mode" = store ] && flag=(--store)
    out=$("$pwinspect" pack "$src" "$work/out/Vol.2" "${flag[@]}")
    archive=$(python3 -c 'import json,sys; print(json.loads(sys.argv[1])["archive"].replace(chr(92), "/"))' "$out")
    case "$archive" in */Vol.zip|*/Vol+1.zip) ;; *) echo "unexpected name $archive"; exit 1 ;; esac

    unzip -tq "$archive" > /dev/null
    7z t "$archive" > /dev/null
    python3 - "$archive" "$src" <<'PY'
import os, sys, zipfile
archive, src = sys.argv[1], sys.argv[2]
want = {}
for root, dirs, files in os.walk(src):
    dirs[:] = [d for d in dirs if not d.startswith(".")]
    rel = os.path.relpath(root, src)
    if rel != ".":
        want[rel.replace(os.sep, "/") + "/"] = None
    for f in files:
        path = os.path.join(root, f)
        want[os.path.relpath(path, src).replace(os.sep, "/")] = open(path, "rb").read()
with zipfile.ZipFile(archive) as z:
    assert z.testzip() is None
    got = {}
    for info in z.infolist():
        assert info.flag_bits & 0x800, info.filename
        got[info.filename] = None if info.is_dir() else z.read(info)
assert got == want, sorted(set(got) ^ set(want))
PY
    # Our own reader: every member listed reads back with the file's bytes.
    "$pwinspect" list "$archive" > "$work/list.jsonl"
    python3 - "$pwinspect" "$archive" "$src" "$work/list.jsonl" <<'PY'
import json, subprocess, sys
pw, archive, src, listing = sys.argv[1:]
count = 0
for line in open(listing, encoding="utf-8"):
    m = json.loads(line)
    if not m["name"]:
        continue
    rel = (m["folder"] + m["name"]).replace("\\", "/")
    data = subprocess.run([pw, "read", archive, str(m["locator"])], check=True, capture_output=True).stdout
    assert data == open(f"{src}/{rel}", "rb").read(), rel
    count += 1
assert count == 5, count
PY
done
echo "pack interop: ok"
