#!/usr/bin/env bash
# Launch until the start picture's preview is painted, on real X (Xvfb and openbox), 24 MP JPEG:
#   sorvenal --quit-after-show photo.jpg   the program, quitting once the preview is painted
#   sorvenal --quit-after-show empty/      the window alone, nothing to decode
#   djpeg -outfile /dev/null photo.jpg     one full decode of the same file, the baseline
#   flock /tmp/sorvenal-build.lock bench/launch.sh
# Environment: SORVENAL_BUILD (build folder, default build/), RUNS (default 10).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVENAL_BUILD:-$root/build}
runs=${RUNS:-10}
program=$build/app/sorvenal
maker=$build/tools/sorvenal-make-samples
"$root/scripts/setup.sh" --bench
for tool in hyperfine djpeg Xvfb xdpyinfo openbox python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

data=$build/bench-data
photo=$data/photo-6000x4000.jpg
mkdir -p "$data"
[ -s "$photo" ] || QT_QPA_PLATFORM=offscreen "$maker" --photo 6000 4000 "$photo"

work=$(mktemp -d)
source "$root/bench/x_session.sh"
bench_x_start
mkdir -p "$work/pictures" "$work/empty"
cp "$photo" "$work/pictures/photo.jpg"
export HOME=$work LANG=C.UTF-8

hyperfine --style basic --warmup 2 --runs "$runs" --export-json "$work/times.json" \
  -n picture "$program --quit-after-show $work/pictures/photo.jpg" \
  -n window "$program --quit-after-show $work/empty" \
  -n djpeg "djpeg -outfile /dev/null $work/pictures/photo.jpg" >&2

python3 - "$work/times.json" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
print(f"launch to painted preview, 6000 x 4000: {r['picture'] * 1000:.1f} ms "
      f"(window alone {r['window'] * 1000:.1f} ms; one full decode by djpeg {r['djpeg'] * 1000:.1f} ms; "
      f"ratio to djpeg {r['picture'] / r['djpeg']:.2f})")
print("target (under 300 ms):", "met" if r["picture"] < 0.3 else "NOT met")
PY
