#!/usr/bin/env bash
# Before/after comparison of two kalvert binaries, for restructuring and
# speed work that must not change what the program does:
#
#   tools/compare-outputs.sh BEFORE_BIN AFTER_BIN [WORKDIR]
#
# Writes a few hundred inputs from fixed seeds (generated appointment books
# and card files, the bundled examples, damaged copies of them, valid and
# mangled CSV files), runs both binaries on each with many option sets and
# compares standard output, standard error, exit status and the -o database
# byte for byte. Prints "compare: N runs, M inputs, D differences", then the
# first differences with their command lines; exits 1 on any difference, 2 on
# a usage error. WORKDIR (kept) holds the inputs, the run plan and every
# result; without it a temporary folder is used and removed when nothing
# differs.
#
# No byte of an output database is masked: the program copies the input's
# header, time stamp included, and never writes the clock; of the texts only
# the DTSTAMP value of an iCalendar export (the time of the run) is.
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
  echo "usage: $0 BEFORE_BIN AFTER_BIN [WORKDIR]" >&2
  exit 2
fi
ROOT=$(cd "$(dirname "$0")/.." && pwd)
abs() { (cd "$(dirname "$1")" && echo "$PWD/$(basename "$1")"); }
BEFORE=$(abs "$1")
AFTER=$(abs "$2")
for b in "$BEFORE" "$AFTER"; do
  [[ -x "$b" ]] || { echo "$0: $b is not an executable" >&2; exit 2; }
done
if [[ $# -eq 3 ]]; then
  mkdir -p "$3"
  W=$(cd "$3" && pwd)
  KEEP=1
else
  W=$(mktemp -d)
  KEEP=0
fi
rm -rf "$W/in" "$W/A" "$W/B" "$W/plan"
mkdir -p "$W/in/db" "$W/in/csv" "$W/A/res" "$W/B/res"

cmake -S "$ROOT/bench" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build-bench" -j2 --target kalvert_gen kalvert_runplan >/dev/null
GEN="$ROOT/build-bench/kalvert_gen"
DB="$W/in/db"
CSV="$W/in/csv"

# ---------------------------------------------------------------- inputs --

# A 31-bit linear congruential generator: the same stream on every machine.
RNG=12345
next_rand() { RNG=$(((RNG * 1103515245 + 12345) & 0x7fffffff)); }

# oct VALUE: appends VALUE's octal escape for printf %b to ESC (no
# subshell: garbage() calls it once per byte).
oct() {
  local o
  printf -v o '\\0%03o' "$(($1 & 0xFF))"
  ESC+=$o
}
byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
size_of() { wc -c <"$1" | tr -d ' '; }
# put FILE OFFSET BYTE...: overwrite bytes in place.
put() {
  local f=$1 at=$2 v
  shift 2
  ESC=""
  for v in "$@"; do oct "$v"; done
  printf '%b' "$ESC" | dd of="$f" bs=1 seek="$at" conv=notrunc status=none
}
le32() { echo $(($1 & 0xFF)) $((($1 >> 8) & 0xFF)) $((($1 >> 16) & 0xFF)) $((($1 >> 24) & 0xFF)); }
garbage() {  # COUNT SEED: COUNT bytes from the generator
  local n=$1 i
  RNG=$2
  ESC=""
  for ((i = 0; i < n; i++)); do
    next_rand
    oct $((RNG >> 16))
  done
  printf '%b' "$ESC"
}
# derive NEW FROM: a copy to damage.
derive() { cp "$DB/$2" "$DB/$1"; }

# The databases in three groups: FULL ones get every option set, VALID ones
# the core sets and a few drawn at random, BROKEN ones the core sets.
FULL=() VALID=() BROKEN=()

cp "$ROOT/examples/book.dat" "$DB/ex-book.dat"
cp "$ROOT/examples/cards.dat" "$DB/ex-cards.dat"
"$GEN" defs "$DB/defs.db"
FULL+=(ex-book.dat ex-cards.dat defs.db)

book_sizes=(0 1 2 3 4 5 6 7 8 9 10 12 14 16 20 25 30 40 50 64 80 100 128 150 200 300 400 600 900 1300)
for ((i = 0; i < 60; i++)); do
  n=${book_sizes[i % ${#book_sizes[@]}]}
  "$GEN" book "$n" $((1000 + i)) "$DB/book$i.db"
  if ((i % 20 == 3)); then FULL+=("book$i.db"); else VALID+=("book$i.db"); fi
done
"$GEN" book 2680 7 "$DB/book-full.db"  # fills the lookup table when copied
FULL+=(book-full.db)

gen_sizes=(0 1 2 3 5 8 11 17 26 40 60 90 130 200 300)
for ((i = 0; i < 40; i++)); do
  "$GEN" general "${gen_sizes[i % ${#gen_sizes[@]}]}" $((2000 + i)) "$DB/gen$i.db"
  if ((i % 20 == 4)); then FULL+=("gen$i.db"); else VALID+=("gen$i.db"); fi
done
# File type 'N': the same layout as 'D', only the header byte differs.
for ((i = 0; i < 40; i += 2)); do
  derive "genN$i.db" "gen$i.db"
  put "$DB/genN$i.db" 12 78
  if ((i == 4)); then FULL+=("genN$i.db"); else VALID+=("genN$i.db"); fi
done
derive ex-cards-N.dat ex-cards.dat
put "$DB/ex-cards-N.dat" 12 78
FULL+=(ex-cards-N.dat)
# An appointment book read as a general database, and the reverse.
for t in 68 78; do
  derive "book-as-$t.db" book5.db
  put "$DB/book-as-$t.db" 12 "$t"
  VALID+=("book-as-$t.db")
done
derive cards-as-book.dat ex-cards.dat
put "$DB/cards-as-book.dat" 12 50
VALID+=(cards-as-book.dat)

# Damaged inputs: truncated copies ...
for src in ex-book.dat ex-cards.dat book12.db gen9.db; do
  size=$(size_of "$DB/$src")
  cuts=(0 1 3 4 5 10 28 29 30 34 35 36 $((size - 1)) $((size - 7)) $((size - 70)))
  step=$((size / 24 + 1))
  for ((c = 37; c < size; c += step)); do cuts+=("$c"); done
  for c in "${cuts[@]}"; do
    ((c >= 0 && c < size)) || continue
    head -c "$c" "$DB/$src" >"$DB/cut$c-$src"
    BROKEN+=("cut$c-$src")
  done
done
# ... a flipped byte in the file header and in the first record header ...
for src in ex-book.dat ex-cards.dat; do
  for ((at = 0; at < 35; at++)); do
    derive "flip$at-$src" "$src"
    put "$DB/flip$at-$src" "$at" $(($(byte_at "$DB/$src" "$at") ^ (at < 29 ? 0xFF : 0x80)))
    BROKEN+=("flip$at-$src")
  done
done
# ... a flipped bit anywhere ...
RNG=777
for src in ex-book.dat ex-cards.dat book20.db gen12.db; do
  size=$(size_of "$DB/$src")
  for ((k = 0; k < 8; k++)); do
    next_rand
    at=$((RNG % size))
    next_rand
    derive "bit$k-$src" "$src"
    put "$DB/bit$k-$src" "$at" $(($(byte_at "$DB/$src" "$at") ^ (1 << (RNG % 8))))
    BROKEN+=("bit$k-$src")
  done
done
# ... the lookup table's offset and the record count patched ...
for src in ex-book.dat ex-cards.dat book30.db; do
  size=$(size_of "$DB/$src")
  for v in 0 1 29 40 $((size - 1)) "$size" $((size + 100)) 2147483647 -1 -29; do
    derive "seek$v-$src" "$src"
    # shellcheck disable=SC2046  # four byte values
    put "$DB/seek$v-$src" 18 $(le32 "$v")
    BROKEN+=("seek$v-$src")
  done
  for v in 0 1 4095 5000 65535; do
    derive "count$v-$src" "$src"
    put "$DB/count$v-$src" 16 $((v & 0xFF)) $((v >> 8))
    BROKEN+=("count$v-$src")
  done
done
# ... file types the program does not read ...
for t in 0 49 51 88 100; do
  derive "type$t-book.dat" ex-book.dat
  put "$DB/type$t-book.dat" 12 "$t"
  BROKEN+=("type$t-book.dat")
done
# ... and garbage after the signature, or after a whole file header.
for n in 0 1 10 24 25 26 30 50 100 300 1000 4000; do
  { printf 'hcD\0'; garbage "$n" $((n + 1)); } >"$DB/junk$n.db"
  BROKEN+=("junk$n.db")
done
for n in 6 7 20 64 200 700 2000; do
  { head -c 29 "$DB/ex-book.dat"; garbage "$n" $((n + 50)); } >"$DB/junkbook$n.db"
  { head -c 29 "$DB/ex-cards.dat"; garbage "$n" $((n + 90)); } >"$DB/junkcards$n.db"
  BROKEN+=("junkbook$n.db" "junkcards$n.db")
done
garbage 500 3 >"$DB/nosig.db"
: >"$DB/empty.db"
BROKEN+=(nosig.db empty.db)

# CSV files: generated ones in the export's layouts ...
BOOKCSV=() TODOCSV=() CARDCSV=()
k=0
for n in 0 1 3 10 40 150; do
  for notes in all half none; do
    k=$((k + 1))
    "$GEN" csv "$n" $((3000 + k)) "$CSV/appt$n-$notes.csv" "$notes"
    BOOKCSV+=("appt$n-$notes.csv")
  done
  "$GEN" csv "$n" $((3100 + k)) "$CSV/todo$n.csv" half todo
  "$GEN" gcsv "$n" $((3200 + k)) "$CSV/cards$n.csv"
  TODOCSV+=("todo$n.csv")
  CARDCSV+=("cards$n.csv")
done
# 4000 records fill the lookup table; 4200 overflow it.
"$GEN" csv 2000 5 "$CSV/appt2000-all.csv" all
"$GEN" csv 2100 6 "$CSV/appt2100-all.csv" all
BOOKCSV+=(appt2000-all.csv appt2100-all.csv)
cp "$ROOT/examples/book.csv" "$CSV/ex-book.csv"
cp "$ROOT/examples/book-todo.csv" "$CSV/ex-todo.csv"
cp "$ROOT/examples/book-events.csv" "$CSV/ex-events.csv"
cp "$ROOT/examples/cards.csv" "$CSV/ex-cards.csv"
BOOKCSV+=(ex-book.csv ex-events.csv)
TODOCSV+=(ex-todo.csv)
CARDCSV+=(ex-cards.csv)

# ... and mangled ones, made from those.
rep() { head -c "$1" /dev/zero | tr '\0' "$2"; }
mangle() {  # NAME KIND(book|todo|card) SOURCE: writes the variants of one layout
  local name=$1 kind=$2 src=$CSV/$3 list
  awk -F, '{ k = NR % 9; line = $1; for (i = 2; i <= k; i++) line = line "," $i; print line }' "$src" >"$CSV/$name-short.csv"
  awk '{ if (NR % 2) sub(/^"/, ""); else sub(/"$/, ""); if (NR % 3 == 0) gsub(/","/, ","); print }' "$src" >"$CSV/$name-quotes.csv"
  tr -d '"' <"$src" >"$CSV/$name-noquotes.csv"
  awk 'BEGIN { print "" } { print; print ""; if (NR % 2) print "" } END { print "" }' "$src" >"$CSV/$name-blank.csv"
  sed 's/$/\r/' "$src" >"$CSV/$name-crlf.csv"
  head -c -1 "$src" >"$CSV/$name-nonl.csv"
  sed '1~3s/^\(.\{9\}\)/\1\x00/' "$src" >"$CSV/$name-nul.csv"
  list=(short quotes noquotes blank crlf nonl nul)
  case $kind in
    book) BOOKCSV+=("${list[@]/#/$name-}") ;;
    todo) TODOCSV+=("${list[@]/#/$name-}") ;;
    card) CARDCSV+=("${list[@]/#/$name-}") ;;
  esac
}
mangle m-appt book appt40-half.csv
mangle m-todo todo todo40.csv
mangle m-cards card cards40.csv
mangle m-exbook book ex-book.csv
mangle m-excards card ex-cards.csv

euc=$(printf '\262\361%.0s' {1..40})
{
  printf '"%s","1999/05/01","10:00","11:00","%s","0","","0","","0","",""\n' "$(rep 100000 A)" "$(rep 300 B)"
  printf '"%s","1999/05/02","10:00","11:00","%s","0","","0","","0","",""\n' "x$euc" "y$euc"
  printf '"%s","1999/05/03","10:00","11:00","%s","0","","0","","0","",""\n' "$euc" "$euc"
  printf '%s\n' "$(rep 300000 Z)"
} >"$CSV/huge-fields.csv"
for n in 30000 32600 32700 32760 40000; do
  printf '"Long note","1999/06/01","09:00","10:00","","0","%s"\n' "$(rep "$n" N)" >"$CSV/note$n.csv"
  BOOKCSV+=("note$n.csv")
done
{
  for d in 2000/13/40 abc 99/1/1 "" 0000/00/00 2155/01/01 1899/12/31 1999/02/30 2000/02/29 19990101 1999/4/5; do
    printf '"Bad date","%s","10:00","11:00","","0",""\n' "$d"
  done
  for t in 25:61 NONE -1:00 12 12: :30 99:99 23:59 00:00 "" 7:5; do
    printf '"Bad time","1999/07/01","%s","%s","","0",""\n' "$t" "$t"
  done
  for r in '"-5","MON","0"' '"999999","25","0"' '"1","XYZ","0"' '"1","5th/MON:FUNDAY","0"' \
    '"1","1","JAN:FOO"' '"2","2nd/TUE","MAR:DEC:NOV"' '"1","","0"' '"1","MON:TUE:WED:THU:FRI:SAT:SUN","0"'; do
    printf '"Bad repeat","1999/07/02","10:00","11:00","","0","",%s,"1999/07/02","1998/01/01"\n' "$r"
  done
  printf '"a ""quoted"" word","1999/07/03","10:00","11:00","x, y","0","back\\\\slash\\"\n'
  printf '"End date","1999/07/04","NONE","NONE","","%s",""\n' 1 -1 65536 abc 7
  printf '"Many","1999/07/05"%s\n' "$(printf ',"%s"' {1..30})"
} >"$CSV/bad-values.csv"
{
  for p in 9 0 "" abc 1 2 3; do printf '"Prio","1999/08/01","0","","%s",""\n' "$p"; done
  for d in 1999/08/40 "done" "" 2000/01/01; do printf '"Done","1999/08/02","0","%s","1",""\n' "$d"; done
} >"$CSV/bad-todo.csv"
{
  printf '"%s","","","","","","","0","1","10:15","1965/07/20","0","0","1",""\n' "$(rep 70000 K)"
  printf '"Bad time","","","","","","","2","x","25:99","1965/13/40","9","-1","abc","%s"\n' "$(rep 40000 n)"
  printf '"Short"\n\n"",""\n'
} >"$CSV/bad-cards.csv"
printf '\n\n\n' >"$CSV/only-blank.csv"

# Standard CSV (--format=csv): the before binary's own exports of valid
# books and card files, then edited and broken copies of them.
MBOOKCSV=() MCARDCSV=()
for src in ex-book.dat book3.db book23.db book-full.db; do
  "$BEFORE" "-x$DB/$src" --format=csv --encoding=EUC-JP -s1 >"$CSV/std-$src.csv" 2>/dev/null || true
  MBOOKCSV+=("std-$src.csv")
done
for src in ex-cards.dat gen4.db gen9.db; do
  "$BEFORE" "-x$DB/$src" --format=csv --encoding=EUC-JP -s1 >"$CSV/std-$src.csv" 2>/dev/null || true
  MCARDCSV+=("std-$src.csv")
done
smangle() {  # NAME SOURCE LIST: edited and broken variants of a standard CSV file
  local name=$1 src=$CSV/$2 v
  sed '3s/,[^,]*,/,"a, ""b""",/' "$src" >"$CSV/$name-edit.csv"
  sed '2s/[0-9][0-9]:[0-9][0-9]/25:99/' "$src" >"$CSV/$name-time.csv"
  sed '4s/-[0-9][0-9]-/-13-/' "$src" >"$CSV/$name-date.csv"
  sed '1s/^[a-z]*/nosuch/' "$src" >"$CSV/$name-header.csv"
  awk 'NR % 3 != 0' "$src" >"$CSV/$name-fewer.csv"
  sed '5s/$/,extra/' "$src" >"$CSV/$name-wide.csv"
  sed '2s/"/x"/' "$src" >"$CSV/$name-quote.csv"
  tr -d '\r' <"$src" >"$CSV/$name-lf.csv"
  for v in edit time date header fewer wide quote lf; do eval "$3+=(\"$name-$v.csv\")"; done
}
smangle s-book std-ex-book.dat.csv MBOOKCSV
smangle s-big std-book23.db.csv MBOOKCSV
smangle s-cards std-ex-cards.dat.csv MCARDCSV
printf 'date,description\r\n1999-01-02,only two\r\n2000-02-29,"a\r\nnote"\r\n' >"$CSV/s-two.csv"
printf '\xef\xbb\xbfkind,date,description,start\r\nevent,1999-03-04,x,\r\nappointment,1999-03-05,y,09:30\r\n' >"$CSV/s-bom.csv"
MBOOKCSV+=(s-two.csv s-bom.csv empty.csv)
MCARDCSV+=(empty.csv)
: >"$CSV/empty.csv"
BOOKCSV+=(huge-fields.csv bad-values.csv empty.csv only-blank.csv)
TODOCSV+=(bad-todo.csv empty.csv)
CARDCSV+=(bad-cards.csv only-blank.csv)

# ------------------------------------------------------------------ plan --

# One run a line: id, a file copied to ID.db first ("-" for none), and the
# arguments separated by 0x1F. Runs happen in A/res and B/res, so inputs are
# ../../in/... and the output database is ID.db on both sides.
IN=../../in
PLAN="$W/plan"
RUNS=0
: >"$PLAN"
emit() {  # SETUP ARG...
  local setup=$1 line
  shift
  printf -v line '%s\x1f' "$@"
  printf '%d\t%s\t%s\n' "$RUNS" "$setup" "${line%$'\x1f'}" >>"$PLAN"
  RUNS=$((RUNS + 1))
}
# expand DB CSV SET: one run of SET (words; @X input, @C CSV file, @O output
# database, @S the input copied to the output database first); -x@X goes
# first unless SET names @X.
expand() {
  local x=$IN/db/$1 c=$IN/csv/$2 set=$3 setup=- w words out=()
  [[ $set == *@X* || $set == *@S* ]] || set="-x@X $set"
  [[ $set == *@S* ]] && setup=$x
  read -r -a words <<<"$set"
  for w in "${words[@]}"; do
    w=${w//@X/$x}
    w=${w//@C/$c}
    w=${w//@S/$RUNS.db}
    out+=("${w//@O/$RUNS.db}")
  done
  emit "$setup" "${out[@]}"
}

EXPORT_SETS=(
  "" "-s1" "-s0" "-s2" "-s" "-s3" "-s-1"
  "-a" "-a0" "-a1" "-a2" "-a3" "-a4" "-e" "-e0" "-e1" "-e2" "-e3" "-e4"
  "-t" "-t0" "-t1" "-t2" "-t3" "-t4"
  "-e -a -t -s1" "-a3 -e3 -t3" "-t4 -h" "-a2 -e2 -t2 -h" "-e0 -t0" "-a0 -s1"
  "-c0" "-c1" "-c2" "-c" "-c3" "-c65537" "-b" "-b -h" "-c0 -h" "-c1 -h -e" "-b -t4"
  "-h" "-h -e -t -a -s1"
  "-n0" "-n1" "-n2" "-n" "-n3" "-c0 -n0" "-b -n1 -t"
  "-g990401 -f990430" "-g19990101" "-f20001231 -s1" "-g000101 -f001231" "-g1" "-f99" "-g99040"
  "-g2e5xyz" "-g21000101" "-f18991231" "-g990601 -f990101" "-g000001 -f000100"
  "-e -g990301 -f990331" "-t -f991231"
  "-d" "-d1" "-d -s1" "-d1 -e -t"
  "-A2 /E /S1" "/c0 /h" "-T4 -H" "-s1 -x @X"
  "-m" "-r3" "-z" "-q5" "-" "/" "-s1 -x" "-s1 -i" "-s1 -o" "-?" "/?" "-s1 stop -z"
)
OUT_SETS=(
  "-o@O" "-s2 -o@O" "-m -o@O" "-d -o@O" "-s1 -e -o@O" "-s2 -o @O" "-m -s2 -o@O" "-h -c0 -o@O"
  "-x@S -o@S -s2" "-x@S -m -o@S -s1" "-s2 -onofolder/out.db"
)
IMPORT_SETS=(
  "-i@C -o@O" "-i@C -o@O -s2" "-m -i@C -o@O" "-e -i@C -o@O -s1" "-t -i@C -o@O -s1"
  "-r0 -i@C -o@O -s2" "-r1 -i@C -o@O -s2" "-r5 -i@C -o@O -s2" "-r7 -i@C -o@O -s2"
  "-r9 -i@C -o@O -s2" "-r -i@C -o@O -s2" "-i@C" "-i@C -s1 -h" "-d -i@C -o@O"
  "-s2 -i @C -o@O" "-m -e -i@C -o@O -s1" "-n1 -i@C -o@O" "-i@C -o@O -g990101 -f991231 -s1"
  "-x@S -i@C -o@S -s2" "-s1 -inofile.csv -o@O"
)
MODERN_SETS=(
  "--format=csv" "--format=csv --encoding=EUC-JP" "--format=csv --encoding=CP437 --bom -s1" "--format=csv -a2"
  "--format=csv -a3 -t" "--format=csv -e -g990101 -f991231" "--format=csv -t3 -e2" "--format=csv -o@O -s1"
  "--format=ics" "--format=ics --encoding=EUC-JP -s1" "--format=ics -t" "--format=ics -a3 -e" "--format=ics --bom"
  "--format=ics -i@C" "--format=xml" "--encoding=EUC-JP" "--format=csv -c1" "--format=csv --encoding=NOSUCH"
  "--format=csv --encoding=EUC-JP -i@C -o@O -s1" "--format=csv --encoding=EUC-JP -m -i@C -o@O"
  "--format=csv -i@C -s1" "--format=csv --encoding=UTF-8 -i@C" "--help" "--version" "--bom"
)
CORE_SETS=("-s1 -e -a -t -h" "-d" "-d1 -s1 -n0 -t4" "-o@O -s2" "-m -i@C -o@O -s2" "--format=csv --encoding=EUC-JP"
  "--format=ics --encoding=EUC-JP -s1")

# csv_for DB SET: sets PICKED to the CSV file for an import into DB with
# SET, the next one of the layout's list.
PICK=0
csv_for() {
  local db=$1 set=$2
  local -a list
  if [[ $set == *--format=* ]]; then
    if [[ $db == gen* || $db == *cards* ]]; then list=("${MCARDCSV[@]}"); else list=("${MBOOKCSV[@]}"); fi
  elif [[ $db == gen* || $db == *cards* ]]; then
    list=("${CARDCSV[@]}")
  elif [[ $set == *-t* ]]; then
    list=("${TODOCSV[@]}")
  else
    list=("${BOOKCSV[@]}")
  fi
  PICK=$((PICK + 1))
  PICKED=${list[PICK % ${#list[@]}]}
}
run_set() {  # DB SET
  PICKED=-
  [[ $2 == *@C* ]] && csv_for "$1" "$2"
  expand "$1" "$PICKED" "$2"
}

# Runs without an input, then every set on the FULL inputs, the core sets and
# seven more drawn from all of them on the other valid ones, the core sets on
# the damaged ones, and each CSV file imported in a few ways.
emit -
emit - -s1
emit - "-?"
emit - "-x$IN/db/missing.dat" -s1
emit - -x
emit - "-x$IN/db/ex-book.dat" "-i$IN/csv/missing.csv" -s1
for db in "${FULL[@]}"; do
  for set in "${EXPORT_SETS[@]}" "${OUT_SETS[@]}" "${IMPORT_SETS[@]}" "${MODERN_SETS[@]}"; do run_set "$db" "$set"; done
done
ALL_SETS=("${EXPORT_SETS[@]}" "${OUT_SETS[@]}" "${IMPORT_SETS[@]}" "${MODERN_SETS[@]}")
RNG=4242
for db in "${VALID[@]}"; do
  for set in "${CORE_SETS[@]}"; do run_set "$db" "$set"; done
  for ((k = 0; k < 7; k++)); do
    next_rand
    run_set "$db" "${ALL_SETS[RNG % ${#ALL_SETS[@]}]}"
  done
done
for db in "${BROKEN[@]}"; do
  for set in "${CORE_SETS[@]}"; do run_set "$db" "$set"; done
done
for c in "${BOOKCSV[@]}"; do
  for set in "-i@C -o@O -s2" "-i@C -s1" "-m -e -i@C -o@O -s1 -r3"; do expand ex-book.dat "$c" "$set"; done
  expand defs.db "$c" "-m -i@C -o@O -s2 -n0"
done
for c in "${TODOCSV[@]}"; do
  for set in "-t -i@C -o@O -s2" "-t4 -i@C -s1" "-t -m -i@C -o@O -d"; do expand ex-book.dat "$c" "$set"; done
done
for c in "${CARDCSV[@]}"; do
  for set in "-i@C -o@O -s2" "-i@C -s1 -h" "-m -i@C -o@O -d"; do expand ex-cards.dat "$c" "$set"; done
  expand gen3.db "$c" "-m -i@C -o@O -s1 -c0"
done
for c in "${MBOOKCSV[@]}"; do
  for set in "--format=csv --encoding=EUC-JP -i@C -o@O -s1" "--format=csv --encoding=EUC-JP -m -i@C -s1 -o@O" \
    "--format=csv -t -i@C -s1"; do expand ex-book.dat "$c" "$set"; done
done
for c in "${MCARDCSV[@]}"; do
  for set in "--format=csv --encoding=EUC-JP -i@C -o@O -s1" "--format=csv --encoding=EUC-JP -m -i@C"; do
    expand ex-cards.dat "$c" "$set"
  done
done

# ------------------------------------------------------------------- run --

# Both binaries at once, each through the whole plan in its own folder
# (bench/runplan.cpp: ID.out, ID.err, ID.rc; ID.db is the -o output).
"$ROOT/build-bench/kalvert_runplan" "$BEFORE" "$PLAN" "$W/A/res" &
pa=$!
"$ROOT/build-bench/kalvert_runplan" "$AFTER" "$PLAN" "$W/B/res" &
pb=$!
wait "$pa"
wait "$pb"

# --------------------------------------------------------------- compare --

# DTSTAMP of an iCalendar export is the clock at the run: the one masked value.
grep -rlZ '^DTSTAMP:' --include='*.out' "$W/A/res" "$W/B/res" | xargs -0 -r sed -i 's/^DTSTAMP:[0-9TZ]*/DTSTAMP:(clock)/'
INPUTS=$(find "$W/in" -type f | wc -l)
diffs=$( (diff -rq "$W/A/res" "$W/B/res" || true) |
  sed -E -e '/\/res: \.kalvert-/d' -e 's,.*/res[:/] ?([0-9]+)\..*,\1,' | sort -nu)
D=$(printf '%s' "$diffs" | grep -c . || true)
# A temporary output file left behind (by a failed run) cannot be told
# apart by its random name: compare their numbers.
left() { find "$W/$1/res" -name '.kalvert-*' | wc -l; }
la=$(left A) lb=$(left B)
[[ $la == "$lb" ]] || D=$((D + 1))
echo "compare: $RUNS runs, $INPUTS inputs, $D differences"
part() {  # ID EXT LABEL: says where the two results differ; for a text,
  # also the first differing line of each
  local a=$W/A/res/$1.$2 b=$W/B/res/$1.$2 at line
  if [[ -e $a && -e $b ]]; then
    cmp -s "$a" "$b" && return
    at=$(cmp "$a" "$b" 2>&1 | sed 's,.*differ: ,,' || true)
    if [[ $2 == db ]]; then
      echo "    $3 differs: ${at%, line *}"
      return
    fi
    echo "    $3 differs: $at"
    line=$(echo "$at" | sed -nE 's/.*line ([0-9]+).*/\1/p')
    [[ -n $line ]] || return 0
    echo "      before: $(sed -n "${line}p" "$a" | cut -c1-100)"
    echo "      after:  $(sed -n "${line}p" "$b" | cut -c1-100)"
  elif [[ -e $a || -e $b ]]; then
    echo "    $3 written by $([[ -e $a ]] && echo before || echo after) only"
  fi
}
shown=0
for id in $diffs; do
  ((shown < 10)) || break
  shown=$((shown + 1))
  IFS=$'\t' read -r _ setup argstr < <(grep -m1 "^$id"$'\t' "$PLAN")
  pre=""
  [[ $setup == - ]] || pre="cp $setup $id.db && "
  echo "  run $id (in $W/A/res): ${pre}kalvert ${argstr//$'\x1f'/ }"
  part "$id" out "standard output"
  part "$id" err "standard error"
  a=$(cat "$W/A/res/$id.rc") b=$(cat "$W/B/res/$id.rc")
  [[ $a == "$b" ]] || echo "    exit status: $a before, $b after"
  part "$id" db "output database"
done
[[ $la == "$lb" ]] || echo "  temporary files left behind: $la before, $lb after"
if ((D > 0)); then
  echo "results kept in $W (A: before, B: after)"
  exit 1
fi
((KEEP)) || rm -rf "$W"
exit 0
