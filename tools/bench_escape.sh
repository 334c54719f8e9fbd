#!/usr/bin/env bash
# Times how long the viewer takes to quit when Escape is pressed while a big
# scan is still loading. For each case a scratch copy of data/ gets a
# scan-like model of that many triangles (made by BUILD_DIR/heavy_inputs) in
# place of the slime; the real viewer is started there on a virtual display,
# Escape goes to its window one second after the window shows, and the time
# from the key press to the process's exit is printed for every run, with
# the exit status, and the median per case. Needs a built vorlune and
# heavy_inputs; it builds nothing.
#   tools/bench_escape.sh [--build BUILD_DIR] [--runs N] [TRIANGLES...]
# BUILD_DIR defaults to build (relative to the repository root), N to 3 and
# TRIANGLES to 1000000 5500000. Without a DISPLAY it runs itself under
# xvfb-run -a.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$0")/.."
repo=$PWD

usage() {
  sed -n '2,13p' "$self" | sed 's/^# \{0,1\}//'
}

build_dir=build
runs=3
cases=()
while [ $# -gt 0 ]; do
  case $1 in
    --help) usage; exit 0 ;;
    --build) build_dir=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    -*) echo "bench_escape.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) cases+=("$1"); shift ;;
  esac
done
[ ${#cases[@]} -gt 0 ] || cases=(1000000 5500000)
if ! [[ $runs =~ ^[1-9][0-9]?$ ]]; then
  echo "bench_escape.sh: --runs takes a count from 1 to 99, not '$runs'" >&2
  exit 2
fi
for c in "${cases[@]}"; do
  [[ $c =~ ^[1-9][0-9]*$ ]] || { echo "bench_escape.sh: '$c' is not a triangle count" >&2; exit 2; }
done
build=$(cd "$build_dir" && pwd)
for program in vorlune heavy_inputs; do
  [ -x "$build/$program" ] || { echo "bench_escape.sh: no $build/$program; build it first" >&2; exit 1; }
done

# The viewer needs a window, so the whole run shares one virtual display.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a bash "$self" --build "$build" --runs "$runs" "${cases[@]}"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A viewer that has not shown its window, or not quit, by then counts as hung.
window_limit=120
exit_limit=300

# exited PID: whether PID has ended. kill -0 still succeeds on a child that
# has ended but not been waited for, so the process state is read instead.
exited() {
  local stat
  { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 0
  stat=${stat##*) }
  [ "${stat%% *}" = Z ]
}

# escape_once: "seconds status" of one run of the viewer in $scratch.
escape_once() {
  local pid window start now status=0
  (cd "$scratch" && exec "$build/vorlune") >"$scratch/printed" 2>&1 &
  pid=$!
  if ! window=$(timeout "$window_limit" xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1) ||
     [ -z "$window" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "no-window -"
    return
  fi
  sleep 1.0
  start=$EPOCHREALTIME
  # xdotool complains about Xvfb's focus; the key still arrives.
  xdotool key --window "$window" Escape 2>/dev/null || true
  until exited "$pid"; do
    now=$EPOCHREALTIME
    if (( ${now%.*} - ${start%.*} > exit_limit )); then
      kill -9 "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      echo "over-${exit_limit}s killed"
      return
    fi
    sleep 0.01
  done
  now=$EPOCHREALTIME
  wait "$pid" || status=$?
  awk -v a="$start" -v b="$now" -v s="$status" 'BEGIN { printf "%.2f %s\n", b - a, s }'
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print v[int((NR + 1) / 2)] }'
}

printf '%-10s %-6s %10s %12s\n' triangles run "exit time" "exit status"
for c in "${cases[@]}"; do
  rm -rf "$scratch/data"
  mkdir -p "$scratch/data"
  ln -s "$repo/data/shader" "$scratch/data/shader"
  cp -r "$repo/data/models" "$scratch/data/models"
  "$build/heavy_inputs" scan "$c" "$scratch/data/models/slime.obj" \
    textures/slime_diffuse.png textures/slime_gloss.png textures/slime_normal.png >/dev/null
  : >"$scratch/times"
  for run in $(seq "$runs"); do
    read -r seconds status < <(escape_once)
    printf '%-10s %-6s %9ss %12s\n' "$c" "$run" "$seconds" "$status"
    [[ $seconds =~ ^[0-9] ]] && echo "$seconds" >>"$scratch/times"
  done
  printf '%-10s %-6s %9ss\n' "$c" median "$(median <"$scratch/times")"
done
