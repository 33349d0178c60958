#!/bin/sh
# Builds the fuzz targets with clang into build-fuzz/ and runs the loading
# target for the given number of seconds (default 180) on a small corpus.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-180}
target=${2:-load_measurement}
cmake -S "$here/fuzz" -B "$here/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$here/build-fuzz" -j2
mkdir -p "$here/build-fuzz/corpus_$target"
/usr/bin/python3 "$here/fuzz/make_seeds.py" "$here/build-fuzz/seeds"
"$here/build-fuzz/fuzz_$target" -max_len=40000 -max_total_time="$secs" -print_final_stats=1 \
  "$here/build-fuzz/corpus_$target" "$here/build-fuzz/seeds"
