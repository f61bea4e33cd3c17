#!/usr/bin/env bash
# Windows check: cross-builds a static kalvert.exe with mingw-w64
# (build-windows, with cmake/mingw-w64.cmake) and runs it under wine on every
# committed example export, then on end-to-end runs whose standard output,
# standard error, exit status and output database must equal the native
# program's: the legacy text and every message compared with CR LF read as
# LF (Windows writes text streams so), everything else byte for byte.
#
#   tools/check-windows.sh [NATIVE_BIN]   (default build/kalvert, built if missing)
#
# Needs g++-mingw-w64-x86-64-posix and wine (.ci/run installs them). The
# Windows build has no libical, so it leaves the iCalendar import out.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
export WINEDEBUG=-all

cmake --no-warn-unused-cli -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKALVERT_TESTS=OFF -DKALVERT_WERROR=ON -DKALVERT_ICAL_IMPORT=OFF >/dev/null
cmake --build build-windows -j2 --target kalvert >/dev/null
WIN="$ROOT/build-windows/kalvert.exe"
if [[ $(head -c 2 "$WIN") != MZ ]]; then
  echo "windows: $WIN is not a Windows program" >&2
  exit 1
fi
# shellcheck source=tools/native-and-generator.sh
source tools/native-and-generator.sh "$@"

# wine makes its configuration on the first run, and says so.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
KALVERT_EMULATOR=wine KALVERT_TEXT_MODE_CRLF=1 tools/check-examples.sh "$WIN"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs="$work/inputs"
mkdir "$inputs"
cp examples/book.dat examples/cards.dat examples/*.csv "$inputs/"
"$GEN" book 2680 7 "$inputs/large.db"
"$GEN" varied 400 3 "$inputs/varied.db"
"$GEN" defs "$inputs/defs.db"
"$GEN" general 300 8 "$inputs/gcards.db"
"$GEN" csv 1500 9 "$inputs/lines.csv" all
"$GEN" gcsv 300 11 "$inputs/gcards.csv"
"$GEN" scsv 200000 12 "$inputs/std.csv" rows
# Texts of each code page tried, as a spreadsheet saves them (UTF-8).
printf 'kind,description,date,start,end,location,note\r\n' >"$inputs/head.csv"
cp437() { printf 'appointment,Caf\xc3\xa9 \xc3\x9cbung \xe2\x96\x91\xe2\x96\x92 \xc2\xbd,1999-04-05,10:00,11:00,M\xc3\xbcnchen,"\xc3\xa0 bient\xc3\xb4t\r\nfin"\r\n'; }
cp850() { printf 'appointment,\xc3\x91and\xc3\xba \xc3\x98re \xc3\x9f,1999-04-06,10:00,11:00,K\xc3\xb8benhavn,\xc3\x86\xc3\xb8\xc3\xa5\r\n'; }
cp932() { printf 'appointment,\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xef\xbd\xb1\xef\xbd\xb2,1999-04-07,10:00,11:00,\xe6\x9d\xb1\xe4\xba\xac,\xe2\x80\x95 \xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88\r\n'; }
eucjp() { printf 'appointment,\xe4\xbc\x9a\xe8\xad\xb0,1999-04-08,09:30,12:00,\xe5\xa4\xa7\xe9\x98\xaa,\xe3\x81\xb2\xe3\x82\x89\xe3\x81\x8c\xe3\x81\xaa\r\n'; }
for cp in cp437 cp850 cp932 eucjp; do { cat "$inputs/head.csv"; $cp; } >"$inputs/$cp.csv"; done
{ cat "$inputs/head.csv"; cp932; } >"$inputs/not-cp437.csv"
cp "$inputs/book.dat" "$inputs/b$(printf '\xc3\xbc')cher-$(printf '\xe6\x97\xa5').dat"
# The same texts in the organiser's own bytes, for the exports (the native
# program stores them; the runs below compare the stores too).
for cp in cp437:CP437 cp850:CP850 cp932:CP932 eucjp:EUC-JP; do
  "$NATIVE" -x"$inputs/defs.db" --format=csv --encoding="${cp#*:}" -i"$inputs/${cp%%:*}.csv" \
    -o"$inputs/${cp%%:*}.db" -s0 2>/dev/null
done

# same text|bytes NAME ARG...: one run of each program, in a folder of its
# own holding a copy of the inputs; the output database, if any, is out.db.
# `text`: the standard output is the legacy text.
status=0
runs=0
same() {
  local mode=$1 name=$2 side
  shift 2
  for side in native win; do
    rm -rf "${work:?}/$side"
    cp -r "$inputs" "$work/$side"
    local run=("$NATIVE")
    [[ $side == win ]] && run=(wine "$WIN")
    (
      cd "$work/$side"
      if "${run[@]}" "$@" >stdout 2>stderr </dev/null; then echo 0 >status; else echo $? >status; fi
      if [[ $side == win ]]; then
        perl -pi -e 's/\r\n/\n/g' stderr
        [[ $mode == text ]] && perl -pi -e 's/\r\n/\n/g' stdout
      fi
      sed -i 's/^DTSTAMP:[0-9TZ]*\r$/DTSTAMP:(clock)\r/' stdout
      mkdir -p "$work/res-$side"
      for f in stdout stderr status out.db; do [[ -e $f ]] && mv "$f" "$work/res-$side/$f"; done
      # An update in place leaves its result under the input's name.
      [[ -e inplace.db ]] && mv inplace.db "$work/res-$side/inplace.db"
      true
    )
  done
  runs=$((runs + 1))
  for f in stdout stderr status out.db inplace.db; do
    if [[ -e $work/res-native/$f || -e $work/res-win/$f ]] && ! cmp -s "$work/res-native/$f" "$work/res-win/$f"; then
      echo "windows: $f of '$name' ($*) differs from the native program's" >&2
      status=1
    fi
  done
  rm -rf "$work/res-native" "$work/res-win"
}
# Legacy text and copies.
same text export-large -xlarge.db -e -a -t -s1 -h
same text export-varied -xvaried.db -s1 -e3 -t3 -a3 -n1
same text dump -xbook.dat -d -s2
same text export-cards -xgcards.db -s1 -c0
same text import-book -xbook.dat -ibook.csv -oout.db -s2
same text import-merge -xlarge.db -m -ilines.csv -oout.db -s2
same text import-cards -xgcards.db -igcards.csv -oout.db -s2
same text copy-large -xlarge.db -oout.db -e -a -t -s1
same text copy-cards -xcards.dat -oout.db -s2
same text in-place -xbook.dat -ibook-todo.csv -t -obook.dat -s1
same text over-existing -xvaried.db -oinplace.db -s0
same text not-a-database -xbook.csv -s1
same text no-such-file -xmissing.dat -s1
# Standard CSV, iCalendar and vCard: their own CR LF, byte for byte.
same bytes csv-book -xbook.dat --format=csv --encoding=EUC-JP -s1
same bytes csv-varied -xvaried.db --format=csv --encoding=CP437 -s1 --bom
same bytes csv-cards -xgcards.db --format=csv --encoding=CP850 -s1
same bytes csv-import -xdefs.db --format=csv -istd.csv -oout.db -s1
same bytes ics-book -xbook.dat --format=ics --encoding=EUC-JP -s1
same bytes ics-varied -xvaried.db --format=ics --encoding=CP437 -s1
same bytes vcf-cards -xcards.dat --format=vcf --encoding=EUC-JP -s1
# Code pages: each one's texts in, then out again.
for cp in cp437:CP437 cp850:CP850 cp932:CP932 eucjp:EUC-JP; do
  same bytes "import-${cp%%:*}" -xdefs.db --format=csv --encoding="${cp#*:}" -i"${cp%%:*}.csv" -oout.db -s1
done
for cp in cp437:CP437 cp850:CP850 cp932:CP932 eucjp:EUC-JP; do
  same bytes "export-${cp%%:*}" -x"${cp%%:*}.db" --format=csv --encoding="${cp#*:}" -s1
  same bytes "ics-${cp%%:*}" -x"${cp%%:*}.db" --format=ics --encoding="${cp#*:}" -s1
done
# Bytes the code page does not hold: U+FFFD, counted in one warning.
same bytes cp932-as-eucjp -xcp932.db --format=csv --encoding=EUC-JP -s1
same bytes not-in-cp437 -xdefs.db --format=csv --encoding=CP437 -inot-cp437.csv -oout.db -s1
same bytes unknown-encoding -xbook.dat --format=csv --encoding=NO-SUCH-CODE-PAGE -s1
# Names: not ASCII, and (Windows only) a drive letter and backslashes, and a
# file at the root of a drive.
same text non-ascii-name -x"b$(printf '\xc3\xbc')cher-$(printf '\xe6\x97\xa5').dat" -o"$(printf '\xc3\xa9')t$(printf '\xc3\xa9').db" -s1
(
  cd "$work" && cp -r inputs drive && cd drive
  "$NATIVE" -xbook.dat -s1 >native.txt 2>/dev/null
  wine "$WIN" "-xZ:${work//\//\\}\\drive\\book.dat" "-oZ:${work//\//\\}\\drive\\copy.db" -s1 </dev/null 2>/dev/null |
    perl -pe 's/\r\n/\n/g' >win.txt
  "$NATIVE" -xbook.dat -onative.db -s0 2>/dev/null
  # A drive of its own whose root is this folder: a file at a drive's root.
  dosdevices="${WINEPREFIX:-$HOME/.wine}/dosdevices"
  rm -f "$dosdevices/k:"
  ln -s "$work/drive" "$dosdevices/k:"
  wine "$WIN" '-xK:\book.dat' '-oK:\root.db' -s0 </dev/null 2>/dev/null
  rm -f "$dosdevices/k:"
  cmp -s native.txt win.txt && cmp -s native.db copy.db && cmp -s native.db root.db
) || {
  echo "windows: a name with a drive letter and backslashes is not read or written as the native program does" >&2
  status=1
}
runs=$((runs + 1))
# Two updates of one file at once: the second waits for the first and reads
# what it wrote, so the book holds both imports (the items compared as a
# set: which run goes first is the system's choice).
(
  cd "$work" && rm -rf both && cp -r inputs both && cd both
  "$GEN" book 1000 21 one.db
  cp one.db start.db
  "$GEN" csv 300 22 a.csv all
  sed 's/^"/"B/' a.csv >b.csv
  wine "$WIN" -xone.db -ia.csv -oone.db -s2 </dev/null 2>/dev/null &
  first=$!
  wine "$WIN" -xone.db -ib.csv -oone.db -s2 </dev/null 2>/dev/null
  wait $first
  "$NATIVE" -xstart.db -ia.csv -oa.db -s2 2>/dev/null
  "$NATIVE" -xa.db -ib.csv -oab.db -s2 2>/dev/null
  cmp -s <("$NATIVE" -xone.db -s1 2>/dev/null | sort) <("$NATIVE" -xab.db -s1 2>/dev/null | sort)
) || {
  echo "windows: two updates of one file at once do not both land" >&2
  status=1
}
runs=$((runs + 1))
# No libical here: --help and the refusal of the iCalendar import say so.
help=$(wine "$WIN" --help </dev/null 2>/dev/null)
refusal=$(wine "$WIN" -xexamples/book.dat --format=ics -iexamples/book.csv </dev/null 2>&1 || true)
if [[ $help != *'export only:'* || $refusal != *'built without libical'* ]]; then
  echo "windows: --help or the iCalendar import's refusal does not say that this build has no import" >&2
  status=1
fi
if ((status == 0)); then echo "windows: examples and $runs runs under wine equal the native ones"; fi
exit $status
