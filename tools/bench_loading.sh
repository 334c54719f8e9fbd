#!/usr/bin/env bash
# Times start-up on real-world inputs put in place of the scene's own files:
# a 40 MB scan, 4096 px textures, a hostile progressive JPEG, a library with
# no maps, single models of 10k, 200k and 2M triangles, and a CAD-shaped
# file that switches among 10,000 materials before each of 100,000 faces. The inputs are
# made fresh by build/heavy_inputs (deterministic, never committed) in a
# scratch copy of data/. For each case it prints the time from start to the
# first frame written by `capture --offscreen`, the peak resident memory of
# the program and of its loading worker (medians over the runs), the longest wait between event polls and the
# lines the viewer printed; with --before, the same for another build, run
# alternately with this one so both see the same machine.
#   tools/bench_loading.sh [--before BUILD_DIR] [--runs N] [CASE...]
# CASE is one of: shipped pipe-4096 scan-400k jpeg-40000-scans no-maps
# scale-10k scale-200k scale-2m usemtl-100k (default: all). Builds in build/, or in
# $BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

usage() {
  sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
}

build_dir=${BUILD_DIR:-build}
before=""
runs=3
cases=()
while [ $# -gt 0 ]; do
  case $1 in
    --help) usage; exit 0 ;;
    --before) before=$(cd "$2" && pwd); shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    -*) echo "bench_loading.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) cases+=("$1"); shift ;;
  esac
done
if ! [[ $runs =~ ^[1-9][0-9]?$ ]]; then
  echo "bench_loading.sh: --runs takes a count from 1 to 99, not '$runs'" >&2
  exit 2
fi
all_cases=(shipped pipe-4096 scan-400k jpeg-40000-scans no-maps scale-10k scale-200k scale-2m usemtl-100k)
[ ${#cases[@]} -gt 0 ] || cases=("${all_cases[@]}")
for c in "${cases[@]}"; do
  [[ " ${all_cases[*]} " == *" $c "* ]] || { echo "bench_loading.sh: unknown case '$c'" >&2; exit 2; }
done

bash tools/install-deps.sh bench
bash tools/configure.sh "$build_dir"
cmake --build "$build_dir" -j"$(nproc)" --target capture frame_bench heavy_inputs vorlune_worker
after=$(cd "$build_dir" && pwd)
heavy=$after/heavy_inputs

scratch=$(mktemp -d)
# KEEP_FRAMES=1 keeps the scratch folder (each case's data and its frames).
if [ -z "${KEEP_FRAMES:-}" ]; then
  trap 'rm -rf "$scratch"' EXIT
else
  echo "frames and inputs are kept in $scratch"
fi
# A run that takes longer than this is reported as such, not waited for.
limit_seconds=300

# prepare CASE: a data folder with the case's files in place of the scene's.
prepare() {
  local data=$scratch/$1/data models
  rm -rf "$scratch/$1"
  mkdir -p "$data"
  ln -s "$repo/data/shader" "$data/shader"
  cp -r "$repo/data/models" "$data/models"
  models=$data/models
  case $1 in
    shipped) ;;
    pipe-4096)
      (cd "$models" && "$heavy" textures 4096 $(awk '/^map_/ {print $2}' pipe.mtl)) ;;
    scan-400k)
      "$heavy" scan 400000 "$models/slime.obj" \
        textures/slime_diffuse.png textures/slime_gloss.png textures/slime_normal.png >/dev/null ;;
    jpeg-40000-scans)
      "$heavy" progressive-jpeg 2896 2896 40000 "$models/textures/pipe_paint_diffuse.jpg"
      sed -i 's|pipe_paint_diffuse.png|pipe_paint_diffuse.jpg|' "$models/pipe.mtl" ;;
    no-maps)
      sed -i '/^map_/d' "$models/hallway.mtl" ;;
    usemtl-100k)
      "$heavy" material-switches 100000 10000 "$models/slime.obj" ;;
    scale-*)
      local triangles=${1#scale-}
      triangles=${triangles/k/000}
      triangles=${triangles/m/000000}
      "$heavy" scan "$triangles" "$models/hallway.obj" \
        textures/floor_diffuse.png textures/floor_gloss.png textures/floor_normal.png >/dev/null ;;
  esac
}

# peaks PID: "program-KiB worker-KiB", the largest peak resident memory of
# the capture program that PID (timeout, then time) runs and of the loading
# workers it starts, each by its own accounting: the time command's would
# report the larger of a process and the children it waited for.
peaks() {
  local program=0 worker=0 kib pid capture
  while kill -0 "$1" 2>/dev/null; do
    capture=$(pgrep -x capture -P "$(pgrep -d, -P "$1")" 2>/dev/null || true)
    for pid in $capture $(pgrep -x vorlune-worker -P "${capture:-0}" 2>/dev/null || true); do
      kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      if [ "$pid" = "$capture" ]; then
        [ "${kib:-0}" -le "$program" ] || program=$kib
      else
        [ "${kib:-0}" -le "$worker" ] || worker=$kib
      fi
    done
    sleep 0.1
  done
  echo "$program $worker"
}

# measure LABEL BUILD CASE: "seconds peak-KiB lines worker-peak-KiB" of one
# capture of one frame; the frame is kept as CASE/LABEL.png for looking at.
measure() {
  local label=$1 build=$2 case=$3 out=$scratch/$3/out-$RANDOM
  mkdir -p "$out"
  (cd "$scratch/$case" &&
    exec timeout "$limit_seconds" /usr/bin/time -f '%e' -o "$out/time" \
      "$build/capture" --offscreen --out "$out" 0.5 >"$out/printed" 2>&1) &
  local run=$!
  local memory
  memory=$(peaks "$run")
  if wait "$run"; then
    echo "$(awk '{ print $1 }' "$out/time") ${memory% *} $(grep -vc '^/' "$out/printed" || true) ${memory#* }"
  else
    echo "over-${limit_seconds}s - - -"
  fi
  cp "$out/frame-000.png" "$scratch/$case/$label.png" 2>/dev/null || true
  rm -rf "$out"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else print v[int((NR + 1) / 2)] }'
}

printf '%-18s %-22s %12s %14s %14s %10s %16s\n' case build "first frame" "peak memory" "worker peak" lines "longest no-poll"
for c in "${cases[@]}"; do
  prepare "$c"
  : >"$scratch/$c.after"
  : >"$scratch/$c.before"
  for _ in $(seq "$runs"); do
    measure after "$after" "$c" >>"$scratch/$c.after"
    [ -z "$before" ] || measure before "$before" "$c" >>"$scratch/$c.before"
  done
  gap=$(cd "$scratch/$c" && timeout "$limit_seconds" "$after/frame_bench" --offscreen --startup-only 2>/dev/null |
        awk '/longest wait between event polls/ { print $(NF - 1) " ms" }')
  for which in after before; do
    [ "$which" = after ] || [ -n "$before" ] || continue
    file=$scratch/$c.$which
    build=$after
    [ "$which" = after ] || build=$before
    seconds=$(awk '{ print $1 }' "$file" | median)
    kib=$(awk '{ print $2 }' "$file" | median)
    lines=$(awk '{ print $3 }' "$file" | median)
    worker_kib=$(awk '{ print $4 }' "$file" | median)
    memory=-
    [ "$kib" = - ] || memory="$((kib / 1024)) MiB"
    worker_memory=-
    [ "$worker_kib" = - ] || worker_memory="$((worker_kib / 1024)) MiB"
    shown_gap=-
    [ "$which" = before ] || shown_gap=${gap:--}
    printf '%-18s %-22s %11ss %14s %14s %10s %16s\n' "$c" "$which (${build##*/})" "$seconds" "$memory" \
      "$worker_memory" "$lines" "$shown_gap"
  done
done
