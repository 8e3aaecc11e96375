#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs them one
# after the other, each in a single process.
#   scripts/fuzz.sh [SECONDS [TARGET...]]    60 s each, every target by default
# Targets: chargement (BMP reader), param (param.dat), analyse (the whole run),
# gxl (the matchers' GXL reader and the four measures).
# Seeds come from tests/fuzz/corpus/TARGET; what a run learns is kept in
# build-fuzz/corpus/TARGET, crashing inputs land in build-fuzz/crashes/TARGET.
# An input that takes more than 10 s is a finding like a crash (no input of a
# bounded target should cost more than a few seconds).
# A crash fails the script: copy the input into tests/fuzz/regressions/TARGET
# so the ordinary test suite replays it once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
secondes=${1:-60}
shift || true
cibles=("$@")
[ ${#cibles[@]} -gt 0 ] || cibles=(chargement param analyse gxl)
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DTRACEMORPH_FUZZ=ON -DTRACEMORPH_GUI=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
# The targets write their files at every input: keep them in memory.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
echec=0
for c in "${cibles[@]}"; do
  mkdir -p "build-fuzz/corpus/$c" "build-fuzz/crashes/$c"
  journal="build-fuzz/fuzz_$c.log"
  statut=0
  "build-fuzz/fuzz_$c" -max_total_time="$secondes" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/crashes/$c/" "build-fuzz/corpus/$c" "tests/fuzz/corpus/$c" >"$journal" 2>&1 || statut=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal" | tail -1)
  etat=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$journal" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' || true)
  echo "fuzz_$c: ${execs:-?} executions in ${secondes} s, ${etat:-no coverage line}"
  if [ "$statut" -ne 0 ]; then
    echec=1
    echo "fuzz_$c FAILED (status $statut), see $journal:"
    grep -E 'ERROR|SUMMARY|invariant|Test unit written' "$journal" | head -8
  fi
done
exit $echec
