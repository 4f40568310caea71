#!/usr/bin/env bash
# Opening a folder of 20,000 and 100,000 small pictures on real X (Xvfb and openbox), side by side
# with a peer viewer that Debian ships (qimgv), each started on the folder's first picture:
#   sorvenal --quit-after-show DIR/IMG_0.jpg   until the preview is painted beside the listed folder
#   qimgv DIR/IMG_0.jpg                        until its window is mapped (polled every 5 ms, so
#                                              the peer is measured to its advantage)
# and the launch on a 24 MP and a 100 MP JPEG, sorvenal until the preview is painted against feh
# until its window is mapped, the same way.
#   flock /tmp/sorvenal-build.lock bench/folders_peer.sh FOLDERS
# FOLDERS holds n20000/ and n100000/ as build/bench/folders_bench FOLDERS leaves them.
# Environment: SORVENAL_BUILD (build folder, default build/), RUNS (default 5), DISPLAY_NUMBER.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVENAL_BUILD:-$root/build}
runs=${RUNS:-5}
data=${1:?FOLDERS}
for tool in xdotool Xvfb xdpyinfo openbox python3 qimgv feh; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

source "$root/bench/x_session.sh"
bench_x_start
mkdir -p "$data/launch"
for size in "6000 4000" "12000 8400"; do
  set -- $size
  photo=$data/launch/photo-$1x$2.jpg
  [ -s "$photo" ] || QT_QPA_PLATFORM=offscreen "$build/tools/sorvenal-make-samples" --photo "$1" "$2" "$photo"
done

# Milliseconds from launch to the end condition, one line per run, then the median.
python3 - "$runs" "$build/app/sorvenal" "$data" <<'EOF'
import os, statistics, subprocess, sys, time
runs, program, data = int(sys.argv[1]), sys.argv[2], sys.argv[3]

def sorvenal(picture):
    start = time.monotonic()
    subprocess.run([program, "--quit-after-show", picture], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.monotonic() - start) * 1000

def peer(name, picture):
    start = time.monotonic()
    peer = subprocess.Popen([name, picture], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        while True:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", name],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if found.stdout.strip():
                return (time.monotonic() - start) * 1000
            time.sleep(0.005)
    finally:
        peer.terminate()
        peer.wait()

for count in (20000, 100000):
    picture = os.path.join(data, f"n{count}", "IMG_0.jpg")
    ours = statistics.median(sorvenal(picture) for _ in range(runs))
    theirs = statistics.median(peer("qimgv", picture) for _ in range(runs))
    print(f"{count} pictures: sorvenal preview painted {ours:.0f} ms, qimgv window mapped "
          f"{theirs:.0f} ms (ratio {ours / theirs:.2f}, medians of {runs})")

for size in ("6000x4000", "12000x8400"):
    picture = os.path.join(data, "launch", f"photo-{size}.jpg")
    ours = statistics.median(sorvenal(picture) for _ in range(runs))
    theirs = statistics.median(peer("feh", picture) for _ in range(runs))
    print(f"launch on {size}: sorvenal preview painted {ours:.0f} ms, feh window mapped "
          f"{theirs:.0f} ms (ratio {ours / theirs:.2f}, medians of {runs})")
EOF
