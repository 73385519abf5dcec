#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang-14 into build-fuzz and runs each
# for the given number of seconds (default 60), one after another, on a
# scratch copy of its corpus. Crashing inputs are copied to
# fuzz/crashers/<name>/; a summary gives executions per harness.
#   fuzz/run.sh [SECONDS] [HARNESS...]
# FUZZ_PROJECT_DIR overrides the CMake source folder (default: the checkout);
# FUZZ_SKIP_BUILD=1 runs what is already built, so two runs can share a build.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
shift || true
project=${FUZZ_PROJECT_DIR:-$root}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
all=(ir_json options_json pdf pdf_content html xml email csv tsv json_dataset markdown latex text office archive image)
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=("${all[@]}")

if [ "${FUZZ_SKIP_BUILD:-0}" != 1 ]; then
  cmake -S "$project" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DSCRIVEX_BUILD_FUZZERS=ON \
    -DSCRIVEX_BUILD_MODULE=OFF -DSCRIVEX_BUILD_TESTS=ON -DSCRIVEX_BUILD_BENCH=OFF >/dev/null
  ninja -C "$build" -j2 $(printf 'fuzz_%s ' "${harnesses[@]}")
fi

dictionary_of() {
  case "$1" in
    pdf | pdf_content) echo "$here/pdf.dict" ;;
    ir_json | options_json | json_dataset) echo "$here/json.dict" ;;
  esac
}

summary=()
status=0
for name in "${harnesses[@]}"; do
  work="$build/fuzz-runs/$name"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  cp -r "$here/corpus/$name/." "$work/corpus/"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/artifacts/")
  dictionary=$(dictionary_of "$name")
  [ -n "$dictionary" ] && args+=(-dict="$dictionary")
  echo "== fuzz_$name for ${seconds}s"
  if "$build/fuzz/fuzz_$name" "${args[@]}" "$work/corpus" >"$work/log.txt" 2>&1; then
    result=ok
  else
    result=CRASH
    status=1
    mkdir -p "$here/crashers/$name"
    cp "$work/artifacts/"* "$here/crashers/$name/" 2>/dev/null || true
    grep -m1 -A12 "ERROR:\|runtime error" "$work/log.txt" || tail -20 "$work/log.txt"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
  summary+=("$(printf '%-14s %-6s %12s executions' "$name" "$result" "${runs:-?}")")
done

echo "== summary (logs in $build/fuzz-runs/<name>/log.txt)"
printf '%s\n' "${summary[@]}"
exit $status
