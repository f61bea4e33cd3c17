#!/bin/sh
# Benchmark of the export and the import on generated appointment books.
#
#   bench/run.sh   (RUNS=20 runs per figure; WORK=folder for the files;
#                   KALVERT=binary to measure instead of the release build)
#
# Builds the release binary into build-release and the generator into
# build-bench, writes books of 335, 670, 1340 and 2680 items (the last fills
# the lookup table when written back) and CSV files of as many lines, then
# reports for each size the best wall time of RUNS runs (process start
# included), the time per item, the peak resident memory and, at the end,
# the ratio of the largest size's time to the smallest's.
#
# Export: -t -e -a (appointments, events and ToDo items, repeating or not)
# and -s1 (no progress bars); the text goes to /dev/null. The same books in
# standard CSV with texts converted from CP437 to UTF-8 (rows "csv"); it
# must stay within twice the time of the legacy export.
# File names are attached to their options (-x/path): a separate name that
# begins with '/' is not taken as a name.
#
# iCalendar: the largest book with --format=ics --encoding=EUC-JP -s1 (every
# kind, texts converted to UTF-8); its time is compared with the export's.
# Its own iCalendar and standard-CSV exports imported back (-m -o) into the
# definitions: the iCalendar import must stay within twice the CSV import.
#
# Import: -i CSV -o OUT -s1 into a book that holds only its definition
# records; half of the lines carry a note (2680 lines with notes on every
# line would overflow the lookup table). One more row imports 2000 lines that
# all carry notes (4000 records).
#
# Crowded dates: 10 000 and 80 000 CSV lines on 84 dates, read and filed
# without -o (a book holds only 4095 records, but every line is filed before
# anything is written); the time must grow with the lines, not faster.
#
# Standard CSV (--format=csv -o): the peak memory of a 50 MB file of rows as
# the export writes them (refused once the rows pass the lookup table's
# room), of 50 MB of one line of commas (refused at the column after the
# header's last) and of 15 MB in 2000 rows with long notes (imported whole:
# 4000 records, the output just below the lookup table's 16 MiB). Refusals
# end with status 1, so these rows give memory only.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-20}
SEED=${SEED:-1}
WORK=${WORK:-$(mktemp -d)}
SIZES="335 670 1340 2680"

if [ -z "${KALVERT:-}" ]; then
  cmake -S "$ROOT" -B "$ROOT/build-release" -DCMAKE_BUILD_TYPE=Release -DKALVERT_TESTS=OFF >/dev/null
  cmake --build "$ROOT/build-release" -j2 --target kalvert >/dev/null
fi
cmake -S "$ROOT/bench" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build-bench" -j2 >/dev/null

K=${KALVERT:-"$ROOT/build-release/kalvert"}  # KALVERT=path measures another binary
GEN="$ROOT/build-bench/kalvert_gen"
TIMEIT="$ROOT/build-bench/kalvert_timeit"

# Peak resident size in KiB of one run, by /usr/bin/time when it is there.
peak() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
  else
    "$TIMEIT" 1 "$@" | cut -d' ' -f3
  fi
}

# One row: label, item count, command.
row() {
  label=$1 n=$2
  shift 2
  set -- $("$TIMEIT" "$RUNS" "$@") "$@"
  best=$1 median=$2
  shift 3
  kib=$(peak "$@")
  awk -v l="$label" -v n="$n" -v b="$best" -v m="$median" -v k="$kib" 'BEGIN {
    printf "%-8s %6d %10.2f %10.2f %12.2f %9d\n", l, n, b / 1000, m / 1000, b / n, k }'
}

"$GEN" defs "$WORK/defs.db"
for n in $SIZES; do
  "$GEN" book "$n" "$SEED" "$WORK/book$n.db"
  "$GEN" csv "$n" "$SEED" "$WORK/lines$n.csv" half
done
"$GEN" csv 2000 "$SEED" "$WORK/notes2000.csv" all
for n in 10000 80000; do
  "$GEN" csv "$n" "$SEED" "$WORK/crowd$n.csv" none appt 84
done
"$GEN" scsv 52428800 "$SEED" "$WORK/std-rows.csv" rows
"$GEN" scsv 52428800 "$SEED" "$WORK/std-commas.csv" commas
"$GEN" scsv 15728640 "$SEED" "$WORK/std-notes.csv" notes

"$K" -x"$WORK/book2680.db" --format=ics --encoding=EUC-JP -s1 >"$WORK/book2680.ics" 2>/dev/null
"$K" -x"$WORK/book2680.db" --format=csv --encoding=EUC-JP -s1 >"$WORK/book2680.csv" 2>/dev/null
echo "kalvert benchmark: best of $RUNS runs, process start included (files in $WORK)"
printf "%-8s %6s %10s %10s %12s %9s\n" task items "best ms" "median ms" "us per item" "peak KiB"
OUT=$(mktemp)
for n in $SIZES; do
  row export "$n" "$K" -x"$WORK/book$n.db" -t -e -a -s1 | tee -a "$OUT"
done
row ics 2680 "$K" -x"$WORK/book2680.db" --format=ics --encoding=EUC-JP -s1 | tee -a "$OUT"
for n in $SIZES; do
  row csv "$n" "$K" -x"$WORK/book$n.db" --format=csv --encoding=CP437 -s1 | tee -a "$OUT"
done
for n in $SIZES; do
  row import "$n" "$K" -x"$WORK/defs.db" -i"$WORK/lines$n.csv" -o"$WORK/out$n.db" -s1 | tee -a "$OUT"
done
row csv-in 2680 "$K" -x"$WORK/defs.db" -m -i"$WORK/book2680.csv" -o"$WORK/back.db" --format=csv --encoding=EUC-JP \
  -s1 | tee -a "$OUT"
row ics-in 2680 "$K" -x"$WORK/defs.db" -m -i"$WORK/book2680.ics" -o"$WORK/back.db" --format=ics --encoding=EUC-JP \
  --timezone=UTC -s1 | tee -a "$OUT"
row import\* 2000 "$K" -x"$WORK/defs.db" -i"$WORK/notes2000.csv" -o"$WORK/out2000.db" -s1 | tee -a "$OUT"
for n in 10000 80000; do
  row crowded "$n" "$K" -x"$WORK/defs.db" -i"$WORK/crowd$n.csv" -s1 | tee -a "$OUT"
done
# Standard CSV: peak memory of runs that may be refused, and their message.
for f in rows commas notes; do
  status=0
  said=$(/usr/bin/time -f %M "$K" -x"$WORK/defs.db" -i"$WORK/std-$f.csv" --format=csv -o"$WORK/std.db" -s1 \
    2>&1 >/dev/null) || status=$?
  printf "std-%-7s %5s MiB in, peak %7s KiB, exit status %d %s\n" "$f" "$(du -m "$WORK/std-$f.csv" | cut -f1)" \
    "$(echo "$said" | tail -n 1)" "$status" "$(echo "$said" | grep "^$WORK/" | sed "s|^$WORK/||")"
done
# The floor: reading the same bytes with cat, in the same run.
row cat 2680 /bin/cat "$WORK/book2680.db" | tee -a "$OUT"
row cat\* 2000 /bin/cat "$WORK/notes2000.csv" "$WORK/defs.db" | tee -a "$OUT"
echo "(import*: 2000 lines, every one with a note; cat: the 2680-item book; cat*: the CSV of import* and the book it goes into)"
awk '$1 == "export" { e = $3 } $1 == "cat" { c = $3 } $1 == "import*" { i = $3 } $1 == "cat*" { d = $3 }
  END { printf "floor: export of 2680 items / cat of the book = %.2f; import* / cat* = %.2f\n", e / c, i / d }' "$OUT"
for task in export import crowded; do
  awk -v t="$task" '$1 == t { if (!first) first = $3; last = $3 }
    END { printf "%s: time of 8 times the items / time of the fewest = %.1f\n", t, last / first }' "$OUT"
done
awk '$1 == "export" { e = $3 } $1 == "csv" { c = $3 }
  END { printf "csv: time of the --format=csv --encoding=CP437 export / time of the legacy export, 2680 items = %.2f\n", c / e }' "$OUT"
awk '$1 == "export" { e = $3 } $1 == "ics" { i = $3 }
  END { printf "ics: time of the --format=ics --encoding=EUC-JP export / time of the legacy export, 2680 items = %.2f\n", i / e }' "$OUT"
awk '$1 == "csv-in" { c = $3 } $1 == "ics-in" { i = $3 }
  END { printf "ics-in: time of the iCalendar import / time of the standard-CSV import, 2680 items = %.2f\n", i / c }' "$OUT"
rm -f "$OUT"
