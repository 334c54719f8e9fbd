#!/usr/bin/env bash
# Compares the GL calls of two builds of the viewer, to check that a change
# meant to restructure the code leaves what it asks of GL alone. Records
# each build's capture program under apitrace (start-up and three frames,
# in four effect configurations, with the shadow map drawn a face at a time
# and with the overlay shown), splits each trace into start-up, frames
# and shut-down, normalises what varies from run to run, and diffs BEFORE
# against AFTER; tools/gl_trace_normalise.py says how it normalises.
#   tools/compare_gl_traces.sh [--max-lines N] BEFORE_BUILD_DIR AFTER_BUILD_DIR [OUT_DIR]
# Traces, pictures, normalised calls and full diffs go to OUT_DIR (default a
# new temporary folder). Exit status: 0 when every frame is identical with
# object names masked, 1 when one differs, 2 on a usage error, 3 when a
# build could not be recorded.
set -Eeuo pipefail
# One collation for sort and join.
export LC_ALL=C
# Any other failure means nothing was compared: not 1, which says a frame
# differs.
trap 'echo "compare_gl_traces.sh: failed at line $LINENO" >&2; exit 3' ERR

usage() {
  cat <<'EOF'
Usage: tools/compare_gl_traces.sh [--max-lines N] BEFORE_BUILD_DIR AFTER_BUILD_DIR [OUT_DIR]

Records the GL calls of each build's `capture` (start-up and frames at clock
times 1.0 2.0 3.0, on a hidden window under xvfb-run) with all effects on,
shadows off, god rays off, bloom off, the shadow map drawn a face at a time
(--per-face-shadows) and the overlay shown (--overlay), and compares BEFORE
with AFTER, frame by frame, with GL object names masked (<texture>) and
numbered in creation order (texture#3). The overlay's measured times and the
text showing them are masked; its pictures differ from run to run.

  BEFORE_BUILD_DIR, AFTER_BUILD_DIR  CMake build folders of Vorlune (with
                                     `capture` and its `data` link)
  OUT_DIR        where traces, PNGs, normalised calls and full diffs go
                 (default: a new temporary folder)
  --max-lines N  print at most N lines of each diff (default 20)
  --help         print this and exit

Exit status: 0 every frame identical with names masked; 1 a frame differs;
2 usage error; 3 a build could not be recorded.
EOF
}

max_lines=20
positional=()
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --max-lines)
      [[ ${2:-} =~ ^[0-9]+$ ]] || { echo "compare_gl_traces.sh: --max-lines needs a number" >&2; usage >&2; exit 2; }
      max_lines=$2
      shift 2
      ;;
    -*) echo "compare_gl_traces.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) positional+=("$1"); shift ;;
  esac
done
if [ ${#positional[@]} -lt 2 ] || [ ${#positional[@]} -gt 3 ]; then
  usage >&2
  exit 2
fi
for build in "${positional[@]:0:2}"; do
  if [ ! -x "$build/capture" ]; then
    echo "compare_gl_traces.sh: $build is not a Vorlune build folder (no capture program in it)" >&2
    exit 2
  fi
done

repo=$(cd "$(dirname "$0")/.." && pwd)
before=$(cd "${positional[0]}" && pwd)
after=$(cd "${positional[1]}" && pwd)
if [ ${#positional[@]} -eq 3 ]; then
  mkdir -p "${positional[2]}"
  out=$(cd "${positional[2]}" && pwd)
else
  out=$(mktemp -d -t vorlune-gl-traces.XXXXXX)
fi

bash "$repo/tools/install-deps.sh" trace

# Debian's interpreter, whatever else is first on PATH.
python=/usr/bin/python3
normalise=$repo/tools/gl_trace_normalise.py
times=(1.0 2.0 3.0)
configs=(all no-shadows no-god-rays no-bloom per-face-shadows overlay)
declare -A config_flags=(
  [all]=""
  [no-shadows]="--shadows off"
  [no-god-rays]="--god-rays off"
  [no-bloom]="--bloom off"
  [per-face-shadows]="--per-face-shadows"
  [overlay]="--overlay"
)
declare -A config_names=(
  [all]="all effects on"
  [no-shadows]="shadows off (S)"
  [no-god-rays]="god rays off (G)"
  [no-bloom]="bloom off (B)"
  [per-face-shadows]="all effects on, the shadow map a face at a time (--per-face-shadows)"
  [overlay]="all effects on, the overlay shown (--overlay)"
)
# With the overlay, capture renders each clock time a few times before the
# frame it writes, so the timings panel has times to show: every one of
# those frames ends in a buffer swap too.
overlay_warm_up=$(sed -n 's/^constexpr int kOverlayWarmUpFrames = \([0-9]*\);$/\1/p' "$repo/tools/capture/main.cpp")
[[ $overlay_warm_up =~ ^[0-9]+$ ]] || { echo "compare_gl_traces.sh: no kOverlayWarmUpFrames in tools/capture/main.cpp" >&2; exit 3; }
# frames_per_time CONFIG: how many frames capture renders per clock time.
frames_per_time() {
  if [ "$1" = overlay ]; then echo $((overlay_warm_up + 1)); else echo 1; fi
}

# A previous run's files would mix with this one's.
rm -rf "$out/before" "$out/after" "$out/diffs"
# capture finds its data beside the program, so it may start anywhere; a
# scratch folder keeps whatever it or apitrace leaves out of the repository.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# record SIDE BUILD CONFIG: traces one capture run and leaves its normalised
# calls in $out/SIDE/CONFIG/{masked,numbered}/.
record() {
  local side=$1 build=$2 config=$3
  local dir=$out/$side/$config
  local -a flags
  read -ra flags <<<"${config_flags[$config]}"
  mkdir -p "$dir/png" "$dir/blobs"
  # The hidden window's GLX path: apitrace's GLX wrapper sees every entry
  # point GLEW loads, and each frame ends in a buffer swap. (Offscreen,
  # through EGL, GLEW still looks its entry points up through GLX, which the
  # EGL wrapper does not intercept, so most calls go unrecorded; and frames
  # end in a flush.) A fresh X server per run; `xvfb-run -a` can lose the race for a
  # display number to another one starting, so a failed run gets two more
  # tries.
  local attempt
  for attempt in 1 2 3; do
    rm -f "$dir/capture.trace"
    if (cd "$scratch" && xvfb-run -a apitrace trace --api gl --output "$dir/capture.trace" \
          "$build/capture" --out "$dir/png" "${flags[@]}" "${times[@]}") >"$dir/capture.log" 2>&1; then
      break
    fi
    if [ "$attempt" -eq 3 ]; then
      echo "compare_gl_traces.sh: recording $build/capture failed; its output is in $dir/capture.log" >&2
      exit 3
    fi
  done
  if [ ! -s "$dir/capture.trace" ]; then
    echo "compare_gl_traces.sh: apitrace recorded nothing of $build/capture; its output is in $dir/capture.log" >&2
    exit 3
  fi
  # Without -v the dump leaves out only the window system's and GLEW's
  # queries (glXGetProcAddress, glGetStringi and the like).
  (cd "$dir/blobs" && apitrace dump --blobs --multiline=no --color=never "$dir/capture.trace") >"$dir/dump.txt"
  if ! "$python" "$normalise" "$dir/dump.txt" "$dir/blobs" "$((${#times[@]} * $(frames_per_time "$config")))" "$dir" \
      2>"$dir/normalise.log"; then
    echo "compare_gl_traces.sh: the trace of $build/capture ($config) is not a capture run: $(cat "$dir/normalise.log")" >&2
    exit 3
  fi
  rm -rf "$dir/blobs" "$dir/dump.txt" "$dir/normalise.log"
}

# show_diff FILE: the first $max_lines lines of a unified diff, indented.
show_diff() {
  local total
  total=$(wc -l <"$1")
  sed -n "3,$((max_lines + 2))p" "$1" | sed 's/^/      /'
  if [ "$total" -gt $((max_lines + 2)) ]; then
    echo "      ... $((total - max_lines - 2)) more lines in $1"
  fi
}

# call_counts FILE: "FUNCTION COUNT" lines, sorted by function.
call_counts() {
  sed 's/(.*//' "$1" | sort | uniq -c | awk '{ print $2, $1 }'
}

# objects_used FILE: "KIND COUNT" lines, how many objects of each kind the
# numbered calls in FILE name.
objects_used() {
  grep -oE '\b[a-z]+#[0-9]+' "$1" | sort -u | sed 's/#.*//' | uniq -c | awk '{ print $2, $1 }' || true
}

# compare_segment CONFIG SEGMENT: diffs both namings; sets masked_same and
# numbered_same (0 or 1).
masked_same=0
numbered_same=0
compare_segment() {
  local config=$1 segment=$2 mode
  for mode in masked numbered; do
    mkdir -p "$out/diffs/$config/$mode"
    local diff_file=$out/diffs/$config/$mode/$segment.diff
    if diff -u --label "before/$segment" --label "after/$segment" \
        "$out/before/$config/$mode/$segment.txt" "$out/after/$config/$mode/$segment.txt" >"$diff_file"; then
      rm -f "$diff_file"
      printf -v "${mode}_same" 1
    else
      printf -v "${mode}_same" 0
    fi
  done
}

report_startup() {
  local config=$1 diffs=$out/diffs/$1
  compare_segment "$config" startup
  if [ "$masked_same" -eq 1 ] && [ "$numbered_same" -eq 1 ]; then
    echo "  start-up: identical"
    return
  fi
  if [ "$masked_same" -eq 1 ]; then
    echo "  start-up: identical with names masked; numbered names differ: $diffs/numbered/startup.diff"
  else
    echo "  start-up: differs: $diffs/masked/startup.diff (numbered: $diffs/numbered/startup.diff)"
  fi
  local counts
  counts=$(join -a 1 -a 2 -e 0 -o 0,1.2,2.2 \
             <(call_counts "$out/before/$config/masked/startup.txt") \
             <(call_counts "$out/after/$config/masked/startup.txt") |
           awk '$2 != $3 { printf "      %-32s %6d -> %d\n", $1, $2, $3 }')
  if [ -n "$counts" ]; then
    echo "    calls per GL function, before -> after (those that differ):"
    echo "$counts"
  else
    echo "    the same calls per GL function; first lines of the diff:"
    if [ "$masked_same" -eq 1 ]; then show_diff "$diffs/numbered/startup.diff"; else show_diff "$diffs/masked/startup.diff"; fi
  fi
}

# report_segment CONFIG SEGMENT LABEL: prints the segment's verdict; returns
# 1 when it differs with names masked.
report_segment() {
  local config=$1 segment=$2 label=$3 diffs=$out/diffs/$1
  compare_segment "$config" "$segment"
  if [ "$masked_same" -eq 1 ] && [ "$numbered_same" -eq 1 ]; then
    echo "  $label: identical"
  elif [ "$masked_same" -eq 1 ]; then
    # The same calls on other objects: how many of each kind the frame
    # touches says whether objects came to be shared (or split).
    echo "  $label: identical with names masked; numbered names differ ($diffs/numbered/$segment.diff)"
    echo "    objects used, before -> after: $(join -a 1 -a 2 -e 0 -o 0,1.2,2.2 \
      <(objects_used "$out/before/$config/numbered/$segment.txt") \
      <(objects_used "$out/after/$config/numbered/$segment.txt") |
      awk '{ printf "%s%s %d -> %d", (NR > 1 ? ", " : ""), $1, $2, $3 }')"
  else
    echo "  $label: differs ($diffs/masked/$segment.diff):"
    show_diff "$diffs/masked/$segment.diff"
    return 1
  fi
}

# report_frames CONFIG: the verdict on each written frame, and on the frames
# rendered before them (the overlay's) together; returns 1 when one differs.
report_frames() {
  local config=$1 per i frame differ=0 warm_up=0 warm_up_shown=0
  per=$(frames_per_time "$config")
  for i in "${!times[@]}"; do
    # Those rendered before the written one are shown only where they differ.
    for ((frame = i * per + 1; frame < (i + 1) * per; ++frame)); do
      warm_up=$((warm_up + 1))
      compare_segment "$config" "frame-$frame"
      if [ "$masked_same" -eq 0 ] || [ "$numbered_same" -eq 0 ]; then
        warm_up_shown=1
        report_segment "$config" "frame-$frame" "frame $frame (t=${times[$i]}, rendered before the one written)" ||
          differ=1
      fi
    done
    report_segment "$config" "frame-$(((i + 1) * per))" "frame $(((i + 1) * per)) (t=${times[$i]})" || differ=1
  done
  if [ "$warm_up" -gt 0 ] && [ "$warm_up_shown" -eq 0 ]; then
    echo "  the $warm_up frames rendered before the written ones: identical"
  fi
  return "$differ"
}

report_pictures() {
  local config=$1 differing=0 png
  for png in "$out/before/$config/png"/*.png; do
    cmp -s "$png" "$out/after/$config/png/$(basename "$png")" || differing=$((differing + 1))
  done
  if [ "$config" = overlay ]; then
    echo "  pictures: $differing of ${#times[@]} PNGs differ (not compared: the overlay shows measured times)"
  elif [ "$differing" -eq 0 ]; then
    echo "  pictures: the ${#times[@]} PNGs are byte-identical"
  else
    echo "  pictures: $differing of ${#times[@]} PNGs differ ($out/before/$config/png, $out/after/$config/png)"
  fi
}

for config in "${configs[@]}"; do
  record before "$before" "$config"
  record after "$after" "$config"
done

frames_differ=0
report() {
  echo "GL calls of capture ${times[*]}: $before (before) against $after (after)"
  echo "Traces, PNGs, normalised calls and full diffs: $out"
  for config in "${configs[@]}"; do
    echo
    echo "${config_names[$config]}:"
    report_startup "$config"
    report_frames "$config" || frames_differ=1
    report_segment "$config" shutdown "shut-down" || true
    report_pictures "$config"
  done
  echo
  if [ "$frames_differ" -eq 0 ]; then
    echo "Every frame is identical with GL object names masked (${SECONDS} s)."
  else
    echo "Some frames differ with GL object names masked (${SECONDS} s)."
  fi
}
report >"$out/report.txt"
cat "$out/report.txt"
exit "$frames_differ"
