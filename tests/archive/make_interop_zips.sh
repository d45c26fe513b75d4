#!/bin/bash
# Writes ZIP archives with the common ZIP writers into OUTDIR, for the interop
# test that lists and reads them with our reader and with `unzip`. A writer that
# is not installed is left out (the test reads whatever is there).
#   make_interop_zips.sh OUTDIR
set -u
out=$1
mkdir -p "$out"
cd "$out" || exit 1
rm -rf src src8 ./*.zip
export LC_ALL=C.UTF-8

# The book: incompressible "pages", compressible text, an empty file, nested
# folders, a name with spaces.
mkdir -p src/pages src/nested/deeper src/empty_folder
for i in 001 002 003 010; do
    head -c $((20000 + 10#$i * 3000)) /dev/urandom > "src/pages/p$i.jpg"
done
seq 1 30000 > src/text.txt
: > src/empty.txt
head -c 70000 /dev/zero > src/nested/deeper/zeros.bin
printf 'spaced\n' > "src/nested/page 10.png"

have() { command -v "$1" > /dev/null 2>&1; }

if have zip; then
    zip -q -r -X infozip.zip src
    zip -q -r -X -0 infozip-stored.zip src
    # Output to a pipe: sizes follow each member in data descriptors.
    zip -q -r -X - src | cat > infozip-stream.zip
    # Input from a pipe: a member named "-" (no Zip64 records, which we do not read).
    seq 1 5000 | zip -q -fz- infozip-stdin.zip -
    seq 1 5000 | zip -q -fz- - - | cat > infozip-stdin-stream.zip
fi

if have python3; then
    python3 - << 'PY'
import io, sys, zipfile
names = {
    "\u00e9t\u00e9/page 1.jpg": b"\xff\xd8" + bytes(range(256)) * 40,
    "\u65e5\u672c/\u30da\u30fc\u30b8.png": b"\x89PNG" + b"x" * 5000,
    "ascii/plain.txt": b"plain " * 1000,
    "caf\u00e9/": b"",
}
for label, method in (("python", zipfile.ZIP_DEFLATED), ("python-stored", zipfile.ZIP_STORED)):
    with zipfile.ZipFile(label + ".zip", "w", method) as z:
        for name, data in names.items():
            if name.endswith("/"):
                z.writestr(zipfile.ZipInfo(name), b"")
            else:
                z.writestr(name, data)

# Written to a stream that cannot seek: data descriptors after every member.
class Unseekable(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
with open("python-stream.zip", "wb") as raw:
    with zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in names.items():
            if not name.endswith("/"):
                with z.open(name, "w") as m:
                    m.write(data)
PY
fi

if have 7z; then
    7z a -tzip -bd -bso0 -bsp0 7z.zip src > /dev/null
    7z a -tzip -bd -bso0 -bsp0 -mx0 7z-stored.zip src > /dev/null
fi

if have bsdtar; then
    bsdtar --format zip -cf bsdtar.zip src
    bsdtar --format zip --options zip:compression=store -cf bsdtar-stored.zip src
fi
ls ./*.zip 2> /dev/null | wc -l
