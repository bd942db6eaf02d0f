#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-fuzz/, then runs each for the given number of seconds (default 30) from its seeds
# in tests/fuzz/corpus. What a run finds goes to build-fuzz/fuzz/<target>/: its growing corpus
# (kept between runs, never in the source tree), its log and any crashing input. Fails when a
# target crashes, leaks, runs out of time or memory, or stops early for any other reason.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
root="$PWD"

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKERULO_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

# The most memory one block may take, per target, in MB. The follow picture's decoder holds at
# most 129 rows of the widest picture (65536 pixels in RGBA), a 128 x 128 corner and libpng's
# own state, about 34 MB in all, so no single block may come near that. A JPEG is held whole
# (up to 64 million pixels in RGB32), so its limit is the whole-run one.
declare -A malloc_limit=([picture_fuzz]=34 [jpeg_fuzz]=0 [settings_fuzz]=64 [store_fuzz]=256)
targets=(picture_fuzz store_fuzz settings_fuzz jpeg_fuzz)

failed=()
summary=()
for target in "${targets[@]}"; do
  work="$root/build-fuzz/fuzz/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  log="$work/log.txt"
  echo "Fuzzing $target for $seconds s"
  dict=()
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="$root/tests/fuzz/$target.dict")
  status=0
  # New inputs go into the first folder, the scratch corpus; the seeds are only read.
  ( cd "$work" && ASAN_OPTIONS=detect_leaks=1 "$root/build-fuzz/tests/fuzz/$target" \
      -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb="${malloc_limit[$target]}" \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$work/artifacts/" "${dict[@]}" \
      "$work/corpus" "$root/tests/fuzz/corpus/$target" ) >"$log" 2>&1 || status=$?
  done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1 || true)
  if [ "$status" -ne 0 ] || [ -z "$done_line" ]; then
    failed+=("$target")
    summary+=("$target: FAILED (exit $status), log $log")
    echo "---- $target failed; the end of its log:"
    tail -n 60 "$log"
    echo "----"
  else
    summary+=("$target: ${done_line#Done }")
  fi
done

echo "Fuzzing summary ($seconds s per target):"
printf '  %s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
