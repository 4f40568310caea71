#!/usr/bin/env bash
# Delete of a 24-megapixel JPEG to the trash (same file system) and a 100 MB copy against cp.
# Run it through the build lock so no build shares the machine meanwhile:
#   flock /tmp/sorvenal-build.lock bench/file_ops.sh
# Environment: SORVENAL_BUILD (build folder, default build/), RUNS (default 9).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVENAL_BUILD:-$root/build}
runs=${RUNS:-9}
bench=$build/bench/file_ops_bench
maker=$build/tools/sorvenal-make-samples
for program in "$bench" "$maker"; do
  [ -x "$program" ] || { echo "missing: $program (build the targets file_ops_bench and sorvenal-make-samples)" >&2; exit 1; }
done

data=$build/bench-data
photo=$data/photo-6000x4000.jpg
mkdir -p "$data"
if [ ! -s "$photo" ]; then
  echo "drawing $photo ..." >&2
  QT_QPA_PLATFORM=offscreen "$maker" --photo 6000 4000 "$photo"
fi
"$bench" "$photo" "$runs"
