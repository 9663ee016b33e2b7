#!/bin/sh
# Builds the libFuzzer targets (clang++, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each for the given seconds, all at once, from its seeds and the corpus kept by earlier runs.
# Fails when any target finds a crash, a leak, a hang or a sanitizer report; the input that
# shows it is left in build/fuzz/findings/<target>/.
#   scripts/fuzz.sh [seconds] [target...]    (default 20 s, every target)
set -e
cd "$(dirname "$0")/.."
seconds=${1:-20}
[ $# -gt 0 ] && shift
build=build/fuzz
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELLOMAR_FUZZ=ON -DVELLOMAR_SANITIZE=ON >/dev/null
cmake --build $build --target vellomar_fuzzers

archives=tests/fixtures/archives
seeds=$build/seeds
rm -rf $seeds
$build/fuzz/vellomar_fuzz_seeds $seeds $archives/Zip.*.zip

# Target, longest input, seed files beside the generated ones (patterns, comma-separated).
zips="$archives/Zip.*.zip"
templates="export/templates/*.vef?"
table="catalogue 262144 -
catalogue_blocks 65536 -
key_rebuild 65536 -
repair 65536 -
masks 4096 -
command_line 4096 -
setup_decoders 65536 -
setup_extract 4096 -
export_template 16384 $templates
export_substitution 16384 $templates
zip_central 131072 $zips
zip_local 131072 $zips
arc 131072 $archives/*.arc
lha 65536 $archives/lzh/*.lzh
arj 131072 $archives/*.arj
rar 131072 $archives/*.rar
unrar 131072 $archives/*.rar
ace 131072 $archives/*.ace
dos_backup 16384 -
pc_backup 16384 -
norton_backup 16384 -
sfx 131072 $zips,$archives/*.arj,$archives/*.rar"

selected() {
  [ -z "$only" ] || echo " $only " | grep -q " $1 "
}

# Copies the files that the comma-separated patterns name into the target's seed folder.
addSeeds() {
  for file in $(echo "$2" | tr , ' '); do
    [ -f "$file" ] && cp "$file" "$seeds/$1/"
  done
  return 0
}

only="$*"
while read -r target maxLen extra; do
  selected "$target" || continue
  mkdir -p "$seeds/$target" "$build/corpus/$target" "$build/findings/$target"
  [ "$extra" = - ] || addSeeds "$target" "$extra"
  (
    status=0
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len="$maxLen" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$target/" \
      "$build/corpus/$target" "$seeds/$target" >"$build/findings/$target.log" 2>&1 || status=$?
    echo $status >"$build/findings/$target.status"
  ) &
done <<EOF
$table
EOF
wait

failed=0
while read -r target _; do
  selected "$target" || continue
  status=$(cat "$build/findings/$target.status")
  rm "$build/findings/$target.status"
  log=$build/findings/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cover=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  echo "$target: ${runs:-?} runs, $cover, exit $status"
  if [ "$status" -ne 0 ]; then
    grep -A30 'ERROR: \|runtime error\|deadly signal' "$log" | head -40
    failed=1
  fi
done <<EOF
$table
EOF
exit $failed
