#!/bin/sh
# Builds the fuzz targets with clang into build-fuzz/ and runs one of them for
# the given number of seconds (default 180):
#   fuzz/run.sh [TARGET] [SECONDS]    TARGET: load_measurement (default),
#                                     logfile_reader, block_reader
# (the older order, fuzz/run.sh SECONDS [TARGET], works too). The file targets
# start from seeds made by make_seeds.py; each target keeps its corpus in
# build-fuzz/corpus_TARGET.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
target=load_measurement
secs=180
for a in "$@"; do
  case "$a" in
    ''|*[!0-9]*) target=$a ;;
    *) secs=$a ;;
  esac
done
if [ ! -f "$here/fuzz/$target.cpp" ]; then
  echo "run.sh: no fuzz target \"$target\"; the targets are:" >&2
  for f in "$here"/fuzz/*.cpp; do basename "$f" .cpp; done >&2
  exit 2
fi
cmake -S "$here/fuzz" -B "$here/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$here/build-fuzz" -j2 --target "fuzz_$target"
corpus="$here/build-fuzz/corpus_$target"
mkdir -p "$corpus"
case "$target" in
  block_reader)
    set -- -max_len=4096 "$corpus" ;;
  *)
    /usr/bin/python3 "$here/fuzz/make_seeds.py" "$here/build-fuzz/seeds"
    set -- -max_len=40000 "$corpus" "$here/build-fuzz/seeds" ;;
esac
"$here/build-fuzz/fuzz_$target" -max_total_time="$secs" -print_final_stats=1 "$@"
