#!/usr/bin/env bash
# One share of a batch spread over several machines or cluster jobs:
#   batch-share.sh SHARE [JOBS]
# Run it from the shared run directory, which holds param.dat (and models/,
# simgraph/, cxconvert when they are used). SHARE lists image paths, one per
# line, absolute or relative to that directory. The share gets its own
# working directory part.SHARE beside it, so that pieces running at the same
# time never share the converter's tmp.bmp, the symbol list or tests/; the
# per-image files still go beside the images. Once every share is done, one
# `tracemorph --gather` over the whole list writes FINAL_RESULTS.GRE.
# TRACEMORPH names the program (default: tracemorph on the PATH).
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: batch-share.sh SHARE [JOBS]" >&2
  exit 2
fi
share=$1
jobs=${2:-1}
tm=${TRACEMORPH:-tracemorph}
part="part.$(basename "$share")"
mkdir -p "$part"
if [ -e param.dat ]; then cp param.dat "$part/param.dat"; fi
for shared in models simgraph cxconvert; do
  if [ -e "$shared" ]; then ln -sfn "../$shared" "$part/$shared"; fi
done
if [ -d tests ]; then mkdir -p "$part/tests"; fi
images=()
while IFS= read -r image || [ -n "$image" ]; do
  [ -n "$image" ] || continue
  case $image in
    /*) images+=("$image") ;;
    *) images+=("../$image") ;;   # relative to the run directory, one level up from the part
  esac
done < "$share"
cd "$part"
exec "$tm" --batch --jobs "$jobs" -- "${images[@]}"
