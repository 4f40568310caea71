#!/usr/bin/env bash
# Whole-process comparison on one 24-megapixel JPEG: decode, gamma, write a 24-bit BMP.
#   sorvenal-retouch photo.jpg out.bmp gamma
#   convert photo.jpg -gamma 1.5 out.bmp      (ImageMagick)
#   vips gamma photo.jpg out.bmp              (libvips)
#   djpeg -bmp -outfile out.bmp photo.jpg     (the floor: decode and write, nothing else)
# Every command writes a new file (the old one is removed before each run, outside the timing),
# so none pays for replacing a file the others do not replace.
# Run it through the build lock so no build shares the machine meanwhile:
#   flock /tmp/sorvenal-build.lock bench/whole_process.sh
# Environment: SORVENAL_BUILD (build folder, default build/), RUNS (default 7), WARMUP (default 2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVENAL_BUILD:-$root/build}
runs=${RUNS:-7}
warmup=${WARMUP:-2}
tool=$build/tools/sorvenal-retouch
maker=$build/tools/sorvenal-make-samples

"$root/scripts/setup.sh" --bench
for program in hyperfine convert vips djpeg python3; do
  command -v "$program" >/dev/null || { echo "missing: $program (scripts/setup.sh installs it)" >&2; exit 1; }
done
for program in "$tool" "$maker"; do
  [ -x "$program" ] || { echo "missing: $program (build the targets sorvenal-retouch and sorvenal-make-samples)" >&2; exit 1; }
done

data=$build/bench-data
photo=$data/photo-6000x4000.jpg
mkdir -p "$data"
if [ ! -s "$photo" ]; then
  echo "drawing $photo ..." >&2
  QT_QPA_PLATFORM=offscreen "$maker" --photo 6000 4000 "$photo"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$photo" photo.jpg

hyperfine --style basic --warmup "$warmup" --runs "$runs" --export-json times.json \
  --prepare 'rm -f out.bmp' \
  -n sorvenal-retouch "$tool photo.jpg out.bmp gamma" \
  -n convert 'convert photo.jpg -gamma 1.5 out.bmp' \
  -n vips 'vips gamma photo.jpg out.bmp' \
  -n djpeg 'djpeg -bmp -outfile out.bmp photo.jpg' >&2

python3 - times.json <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
floor = results["djpeg"]["median"]
print(f"{'command':<18}{'median ms':>11}{'min ms':>9}{'x djpeg':>9}")
for name in ("sorvenal-retouch", "convert", "vips", "djpeg"):
    r = results[name]
    print(f"{name:<18}{r['median'] * 1000:>11.1f}{r['min'] * 1000:>9.1f}{r['median'] / floor:>9.2f}")
ours = results["sorvenal-retouch"]["median"]
ok = ours < results["convert"]["median"] and ours < results["vips"]["median"] and ours <= 1.15 * floor
print("target (faster than convert and vips, within 1.15x djpeg):", "met" if ok else "NOT met")
PY
