#!/usr/bin/env bash
# Big-endian check: builds kalvert statically for s390x (build-s390x, with
# cmake/s390x.cmake) and runs it under qemu-s390x on every committed example
# export, then on imports and copies whose standard output, standard error,
# exit status and output database must equal the native binary's byte for
# byte.
#
#   tools/check-bigendian.sh [NATIVE_BIN]   (default build/kalvert, built if missing)
#
# Needs g++-s390x-linux-gnu and qemu-user (.ci/run installs them). The
# s390x build has no libical of its own, so it leaves the iCalendar import out.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

cmake --no-warn-unused-cli -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKALVERT_TESTS=OFF -DKALVERT_WERROR=ON -DKALVERT_ICAL_IMPORT=OFF >/dev/null
cmake --build build-s390x -j2 --target kalvert >/dev/null
BE="$ROOT/build-s390x/kalvert"
if [[ $(od -An -tu1 -j5 -N1 "$BE" | tr -d ' ') != 2 ]]; then  # ELF data encoding: 2 is big-endian
  echo "big-endian: $BE is not a big-endian binary" >&2
  exit 1
fi
# shellcheck source=tools/native-and-generator.sh
source tools/native-and-generator.sh "$@"

KALVERT_EMULATOR=qemu-s390x tools/check-examples.sh "$BE"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/be"
"$GEN" book 2680 7 "$work/book.db"  # record offsets past 64 KiB
"$GEN" general 300 8 "$work/cards.db"
"$GEN" csv 1500 9 "$work/lines.csv" all
"$GEN" csv 300 10 "$work/todo.csv" half todo
"$GEN" gcsv 300 11 "$work/cards.csv"

# same NAME ARG...: one run of each binary, in a folder of its own; the
# output database, if any, is out.db. Every case is a run that succeeds.
status=0
same() {
  local name=$1 side
  shift
  for side in native be; do
    local run=("$NATIVE")
    [[ $side == be ]] && run=(qemu-s390x "$BE")
    (
      cd "$work/$side"
      if "${run[@]}" "$@" >stdout 2>stderr; then echo 0 >status; else echo $? >status; fi
      if [[ -e out.db ]]; then mv out.db "$name.db"; fi
    )
  done
  if [[ $(cat "$work/native/status") != 0 ]]; then
    echo "big-endian: '$name' ($*) failed natively" >&2
    status=1
  fi
  for f in stdout stderr status "$name.db"; do
    if [[ -e $work/native/$f || -e $work/be/$f ]] && ! cmp -s "$work/native/$f" "$work/be/$f"; then
      echo "big-endian: $f of '$name' ($*) differs from the native binary's" >&2
      status=1
    fi
  done
}
ex=$ROOT/examples
same import-book -x"$ex/book.dat" -i"$ex/book.csv" -oout.db -s2
same import-events -x"$ex/book.dat" -e -i"$ex/book-events.csv" -oout.db -s1 -r5
same import-merge -x"$ex/book.dat" -m -t -i"$ex/book-todo.csv" -oout.db -s1 -d
same import-cards -x"$ex/cards.dat" -i"$ex/cards.csv" -oout.db -s2
same import-large -x"$work/book.db" -m -i"$work/lines.csv" -oout.db -s2
same import-todo -x"$work/book.db" -m -t -i"$work/todo.csv" -oout.db -s2
same import-gcards -x"$work/cards.db" -i"$work/cards.csv" -oout.db -s2
same copy-book -x"$ex/book.dat" -oout.db -s2
same copy-cards -x"$ex/cards.dat" -oout.db -s2
same copy-large -x"$work/book.db" -oout.db -e -a -t -s1
same dump -x"$ex/book.dat" -d -s2
same dump-cards -x"$ex/cards.dat" -d1 -s1
same export-large -x"$work/book.db" -e -a -t -s1 -h
same export-gcards -x"$work/cards.db" -s1 -c0
# The copies read back on the big-endian side as the native ones do.
same reread -x"$work/be/import-large.db" -e -a -t -s1
same reread-cards -x"$work/be/import-gcards.db" -s1
if ((status == 0)); then echo "big-endian: examples and 16 runs under qemu-s390x equal the native ones"; fi
exit $status
