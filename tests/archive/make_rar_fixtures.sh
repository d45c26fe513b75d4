#!/bin/bash
# Writes the RAR archives the RAR binding is tested on into OUTDIR, with the
# files they hold under OUTDIR/src for comparison. Needs `rar` (set-up installs
# it); exits non-zero without it, so the tests that need the archives fail.
#   make_rar_fixtures.sh OUTDIR
set -eu
out=$1
command -v rar > /dev/null || { echo "make_rar_fixtures: rar is not installed" >&2; exit 1; }
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)
cd "$out"
rm -rf src ./*.rar ./*.cbr missing
mkdir -p src/pages missing

# Pages of known bytes (a repeating counter, so a misplaced chunk shows), one in
# a subfolder, and an incompressible one large enough to span volumes.
for i in 1 2 3; do
    python3 -c "import sys; sys.stdout.buffer.write(bytes((j * $i + j // 251) & 255 for j in range(30000 + $i * 777)))" \
        > "src/pages/p$i.bin"
done
head -c 150000 /dev/urandom > src/big.bin
printf 'hello\n' > src/pages/note.txt

(cd src && rar a -idq -r ../single.rar pages big.bin)
python3 "$here/make_rar4.py" old.rar src pages/p1.bin pages/p2.bin pages/p3.bin
(cd src && rar a -idq -r -m0 -v60k ../set.rar pages big.bin)
(cd src && rar a -idq -r -psecret ../password.rar pages)
(cd src && rar a -idq -r -hpsecret ../headers.rar pages)
cp set.part1.rar missing/cut.part1.rar
cp set.part3.rar missing/cut.part3.rar
ls set.part*.rar > /dev/null
echo "make_rar_fixtures: $(ls ./*.rar | wc -l) archives in $out"
