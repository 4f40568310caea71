#!/usr/bin/env bash
# Launch on a 24 MP and a 100 MP JPEG until the picture is on the screen, sorvenal against feh
# showing the same file, both measured the same way: build/bench/screen_poll starts the program
# and polls the root window (shared memory, every 2 ms plus the grab) until at least 8,000
# screen pixels are in the photos' magenta (build/bench/launch_photo tints the sample photos
# so). Real X: Xvfb 1920x1080 and openbox. Runs alternate between the programs.
#   flock /tmp/sorvenal-build.lock bench/launch_screen.sh
# Environment: SORVENAL_BUILD (build folder, default build/), RUNS (default 7), DISPLAY_NUMBER,
# SORVENAL (the program to measure, default the build's), BEFORE (an earlier build of it,
# measured in the same runs), FOLDER_FILES (empty pictures beside the photo, default 0).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVENAL_BUILD:-$root/build}
runs=${RUNS:-7}
program=${SORVENAL:-$build/app/sorvenal}
poll=$build/bench/screen_poll
for tool in Xvfb openbox xdpyinfo feh python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

data=$build/bench-data
mkdir -p "$data"
for size in 6000x4000 12000x8400; do
  photo=$data/launch-$size.jpg
  if [ ! -s "$photo" ]; then
    QT_QPA_PLATFORM=offscreen "$build/tools/sorvenal-make-samples" --photo ${size%x*} ${size#*x} "$data/source-$size.jpg"
    QT_QPA_PLATFORM=offscreen "$build/bench/launch_photo" "$data/source-$size.jpg" "$photo"
    rm -f "$data/source-$size.jpg"
  fi
done

work=$(mktemp -d)
source "$root/bench/x_session.sh"
bench_x_start
export HOME=$work/home LANG=C.UTF-8
mkdir -p "$HOME"
for size in 6000x4000 12000x8400; do
  mkdir -p "$work/$size"
  cp "$data/launch-$size.jpg" "$work/$size/photo.jpg"
  # Pictures beside it: the listing the launch must not wait for.
  for i in $(seq 1 "${FOLDER_FILES:-0}"); do : >"$work/$size/IMG_$i.jpg"; done
done

python3 - "$runs" "$poll" "$program" "$work" "${BEFORE:-}" <<'PY'
import statistics, subprocess, sys
runs, poll, program, work, before = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]

def shown(command):
    out = subprocess.run([poll, "--"] + command, check=True, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True).stdout.split()
    return float(out[0])

for size in ("6000x4000", "12000x8400"):
    picture = f"{work}/{size}/photo.jpg"
    ours, theirs, earlier = [], [], []
    for _ in range(runs):
        ours.append(shown([program, picture]))
        theirs.append(shown(["feh", picture]))
        if before:
            earlier.append(shown([before, picture]))
    o, t = statistics.median(ours), statistics.median(theirs)
    line = (f"launch on {size} until on the screen: sorvenal {o:.0f} ms, feh {t:.0f} ms, "
            f"ratio {o / t:.2f}")
    if before:
        b = statistics.median(earlier)
        line += f"; before {b:.0f} ms, ratio to feh {b / t:.2f}"
    print(f"{line} (medians of {runs}; sorvenal {' '.join(f'{x:.0f}' for x in ours)}; "
          f"feh {' '.join(f'{x:.0f}' for x in theirs)}"
          + (f"; before {' '.join(f'{x:.0f}' for x in earlier)})" if before else ")"))
PY
