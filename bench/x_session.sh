# Sourced by the benchmarks that run on real X: a private Xvfb display (1920 x 1080, its number
# from DISPLAY_NUMBER or picked at random) with openbox, both stopped when the script exits,
# and the scratch folder named by $work, if any, removed then.
bench_x_start() {
  local display=:${DISPLAY_NUMBER:-$((90 + RANDOM % 50))}
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  bench_xvfb=$!
  trap 'kill ${bench_openbox:-} $bench_xvfb 2>/dev/null || true; [ -z "${work:-}" ] || rm -rf "$work"' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  bench_openbox=$!
  sleep 1
}
