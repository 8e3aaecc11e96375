#!/usr/bin/env bash
# Regenerates the stored results that the suite compares byte for byte with
# a fresh analysis (tests/data/stored/<drawing>/): Rlignaxe.dat and
# Rlignaxe.gxl of each drawing below, and Rlignaxe.matcher.gxl (Format_GXL 1)
# for bath_plan, all made by the built command-line program with the fixed
# thresholds of tests/data/stored/param.dat.
#
# Run it only when a change of results is intended. The commit that
# regenerates them must say why the results changed.
#
#   scripts/regenerate-stored-results.sh [BUILD_DIR]    (default: build)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$src/build}" && pwd)"
data="$src/tests/data"
stored="$data/stored"
cmake --build "$build" --target tracemorph -j2 >/dev/null

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Analyses one drawing in a scratch directory with the stored thresholds,
# Format_GXL set to $2; leaves the two result files there.
analyse() {
  rm -rf "$tmp/run" && mkdir "$tmp/run"
  sed "/^#Format_GXL#\$/{n;s/^=.*#\$/=$2#/}" "$stored/param.dat" >"$tmp/run/param.dat"
  (cd "$tmp/run" && "$build/tracemorph" "$data/$1.bmp" >/dev/null)
}

for dessin in bath_plan relay_logic flowchart_triangles; do
  mkdir -p "$stored/$dessin"
  analyse "$dessin" 0
  cp "$tmp/run/Rlignaxe.dat" "$tmp/run/Rlignaxe.gxl" "$stored/$dessin/"
done
analyse bath_plan 1
cp "$tmp/run/Rlignaxe.gxl" "$stored/bath_plan/Rlignaxe.matcher.gxl"
echo "stored results regenerated in $stored"
