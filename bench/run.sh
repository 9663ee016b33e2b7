#!/bin/sh
# Builds the engine benchmark in release mode, writes the test tree once per seed and size,
# and prints the table of engine rows beside their baselines.
#   bench/run.sh [--files N] [--seed N] [--runs N] [--cold] [--dir DIR] [--db DIR] [--windows]
#                [--rows TEXT]
# --rows measures only the rows whose name holds TEXT, on the catalogues a run before left.
set -e
cd "$(dirname "$0")/.."
files=1000000
seed=1
runs=3
cold=
extra=
rows=
dir=${VELLOMAR_BENCH_DIR:-/tmp/vellomar-bench}
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --cold) cold=--cold; shift ;;
    --db) extra="$extra --db $2"; shift 2 ;;
    --windows) extra="$extra --windows"; shift ;;
    --rows) rows=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/bench --target vellomar_treegen vellomar_bench > /dev/null

data=$dir/s$seed-f$files
# The manifest is written last, so a tree without one was cut short.
if [ ! -f "$data/manifest.txt" ]; then
  rm -rf "$data"
  echo "writing the test tree to $data" >&2
  build/bench/bin/vellomar_treegen "$data" --seed "$seed" --files "$files" > /dev/null
fi
build/bench/bin/vellomar_bench "$data" --runs "$runs" $cold $extra ${rows:+--rows "$rows"}
