# Sourced by the cross checks (check-bigendian.sh, check-windows.sh) from the
# project root, with the check's own arguments: sets NATIVE, the program the
# other build is held against ($1, or build/kalvert, built when missing), and
# GEN, the benchmark's generator of inputs (built in build-bench).
if [[ $# -ge 1 ]]; then
  NATIVE=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
else
  NATIVE="$ROOT/build/kalvert"
  [[ -x $NATIVE ]] || make build >/dev/null
fi
cmake -S bench -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target kalvert_gen >/dev/null
GEN="$ROOT/build-bench/kalvert_gen"
