#!/usr/bin/env bash
# Times `velmorance render` against the ffmpeg command a user would pick for
# a comparable black-and-white mapping, for every kind of output at three
# frame sizes, on short generated clips with sound.
#
# usage: bench/host/bench_render.sh [options] [VELMORANCE_BINARY] [PLUGIN]
#   VELMORANCE_BINARY  default: build/bin/velmorance
#   PLUGIN             a bundle or module for --plugin (default: the bundle
#                      next to the program)
#   --sizes LIST       comma-separated of sd, hd, uhd (720x480, 1920x1080,
#                      3840x2160); default all
#   --kinds LIST       comma-separated of mp4, lossless, png, null; default all
#   --runs N           alternating runs of each side (default 3)
#   --seconds S        clip length at 1080p (default 4); 720x480 clips are
#                      2.5 times as long, 2160p ones half as long
#
# Each row gives both sides' wall-clock seconds (min/median/max), the ratio of
# each alternating pair (min/median/max), the ratio of the median CPU times
# (user + system) and both peak resident sizes. The runs alternate so that
# both sides meet the same load on a shared machine.
#
# The ffmpeg chain does the effect's own mapping at its default strength 17:
# to 8-bit RGB; each pixel's brightness m as the mean of red, green and blue
# (colorchannelmixer, a third each); then m mapped onto the black-to-white
# gradient with a band of 0.415 held solid at each end, grey =
# clip(255 * (m / 256 - 0.415) / 0.17, 0, 255) (lutrgb); then whatever the
# output takes. Like for like:
#   mp4       back to yuv420p, libx264 defaults, AAC 192 kb/s
#   lossless  FFV1 version 3 in bgr0 and FLAC in Matroska (velmorance --lossless)
#   png       a numbered RGB PNG sequence, no sound
#   null      nothing written: both decode, convert to RGB, map and drop the
#             frames (and decode the sound)
# Both look the same, which matters: encoders' speed depends on the picture.
set -euo pipefail
set -f  # the filter strings hold * and must reach ffmpeg as they are

sizes=sd,hd,uhd
kinds=mp4,lossless,png,null
runs=3
seconds=4
positional=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --sizes) sizes=$2; shift 2 ;;
    --kinds) kinds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) positional+=("$1"); shift ;;
  esac
done
bin=${positional[0]:-build/bin/velmorance}
plugin=()
if [[ ${#positional[@]} -ge 2 ]]; then plugin=(--plugin "${positional[1]}"); fi
[[ -x $bin ]] || { echo "bench_render: no program at $bin (build the velmorance target)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "bench_render: needs /usr/bin/time (the time package)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

third=0.3333
mix="colorchannelmixer=rr=$third:rg=$third:rb=$third:gr=$third:gg=$third:gb=$third:br=$third:bg=$third:bb=$third"
lut="clip(255*(val/256-0.415)/0.17,0,255)"
mapping="format=rgb24,$mix,lutrgb=r='$lut':g='$lut':b='$lut'"

# One run: wall seconds, CPU seconds and peak resident kilobytes, on one line.
measure() {
  local stats="$work/stats" start end
  rm -rf "$work/out" && mkdir "$work/out"
  start=$(date +%s.%N)
  /usr/bin/time -o "$stats" -f "%U %S %M" "$@" >/dev/null
  end=$(date +%s.%N)
  read -r user sys rss <"$stats"
  awk -v a="$start" -v b="$end" -v u="$user" -v s="$sys" -v m="$rss" 'BEGIN { printf "%.3f %.2f %d\n", b - a, u + s, m }'
}

# min/median/max of the numbers on standard input.
spread() { sort -g | awk '{ v[NR] = $1 } END { printf "%.2f/%.2f/%.2f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours_args() {
  case $1 in
    mp4) echo "$work/out/o.mp4" ;;
    lossless) echo "$work/out/o.mkv --lossless" ;;
    png) echo "$work/out/o_%04d.png" ;;
    null) echo "null" ;;
  esac
}

theirs_args() {
  case $1 in
    mp4) echo "-vf $mapping,format=yuv420p -c:v libx264 -pix_fmt yuv420p -c:a aac -b:a 192k $work/out/t.mp4" ;;
    lossless) echo "-vf $mapping,format=bgr0 -c:v ffv1 -level 3 -pix_fmt bgr0 -c:a flac $work/out/t.mkv" ;;
    png) echo "-vf $mapping -an -f image2 $work/out/t_%04d.png" ;;
    null) echo "-vf $mapping -f null -" ;;
  esac
}

printf '%-9s %-9s %-17s %-17s %-17s %6s %10s %10s\n' output size "velmorance s" "ffmpeg s" "ratio" cpu "ours MB" "ffmpeg MB"
IFS=, read -ra size_list <<<"$sizes"
IFS=, read -ra kind_list <<<"$kinds"
for size in "${size_list[@]}"; do
  case $size in
    sd) dims=720x480; length=$(awk -v s="$seconds" 'BEGIN { print s * 2.5 }') ;;
    hd) dims=1920x1080; length=$seconds ;;
    uhd) dims=3840x2160; length=$(awk -v s="$seconds" 'BEGIN { print s / 2 }') ;;
    *) echo "bench_render: unknown size $size (sd, hd, uhd)" >&2; exit 1 ;;
  esac
  clip="$work/in_$size.mp4"
  ffmpeg -nostdin -hide_banner -v error -y \
    -f lavfi -i "testsrc2=s=$dims:r=30:d=$length" -f lavfi -i "sine=f=440:r=48000:d=$length" \
    -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 192k -shortest "$clip"
  for kind in "${kind_list[@]}"; do
    [[ -n $(ours_args "$kind") ]] || { echo "bench_render: unknown kind $kind" >&2; exit 1; }
    : >"$work/ours" && : >"$work/theirs"
    for ((run = 0; run < runs; ++run)); do
      # shellcheck disable=SC2046  # the argument lists split on purpose
      ours() { measure "$bin" render "$clip" $(ours_args "$kind") --quiet --overwrite "${plugin[@]}" >>"$work/ours"; }
      # shellcheck disable=SC2046
      theirs() { measure ffmpeg -nostdin -v error -y -i "$clip" $(theirs_args "$kind") >>"$work/theirs"; }
      if ((run % 2 == 0)); then ours; theirs; else theirs; ours; fi
    done
    wall_ours=$(cut -d' ' -f1 "$work/ours" | spread)
    wall_theirs=$(cut -d' ' -f1 "$work/theirs" | spread)
    ratios=$(paste -d' ' "$work/ours" "$work/theirs" | awk '{ print $1 / $4 }' | spread)
    cpu=$(awk -v a="$(cut -d' ' -f2 "$work/ours" | median)" -v b="$(cut -d' ' -f2 "$work/theirs" | median)" \
      'BEGIN { printf "%.2f", a / b }')
    mem_ours=$(cut -d' ' -f3 "$work/ours" | sort -g | tail -1)
    mem_theirs=$(cut -d' ' -f3 "$work/theirs" | sort -g | tail -1)
    printf '%-9s %-9s %-17s %-17s %-17s %6s %10d %10d\n' "$kind" "$dims" "$wall_ours" "$wall_theirs" "$ratios" "$cpu" \
      $((mem_ours / 1024)) $((mem_theirs / 1024))
  done
done
echo "targets (ratio medians): mp4 <= 0.9, lossless <= 0.95, png <= 0.9, null <= 0.6; peak memory no higher"
