#!/usr/bin/env bash
# Times `velmorance render` against the ffmpeg command a user would pick for
# a comparable black-and-white mapping, on one generated 1920x1080 clip of
# 10 seconds with sound, with the same encoder settings (libx264 defaults,
# yuv420p, AAC 192 kb/s), and again with both outputs discarded.
#
# usage: bench/host/bench_render.sh [VELMORANCE_BINARY] [PLUGIN]
#   VELMORANCE_BINARY  default: build/bin/velmorance
#   PLUGIN             a bundle or module for --plugin (default: the bundle
#                      next to the program)
#
# The ffmpeg chain does the effect's own mapping at its default strength 17:
# to 8-bit RGB; each pixel's brightness m as the mean of red, green and blue
# (colorchannelmixer, a third each); then m mapped onto the black-to-white
# gradient with a band of 0.415 held solid at each end, grey =
# clip(255 * (m / 256 - 0.415) / 0.17, 0, 255) (lutrgb); back to yuv420p for
# the encoder. Velmorance does the same work: decode, to 32-bit RGB, the
# mapping in the plug-in, back to yuv420p. Both look the same, which matters:
# x264's speed depends on the picture it is given.
set -euo pipefail

bin=${1:-build/bin/velmorance}
plugin=()
if [[ $# -ge 2 ]]; then plugin=(--plugin "$2"); fi
[[ -x $bin ]] || { echo "bench_render: no program at $bin (build the velmorance target)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "making a 10 s 1920x1080 clip with sound..."
ffmpeg -nostdin -hide_banner -v error -y \
  -f lavfi -i testsrc2=s=1920x1080:r=30:d=10 -f lavfi -i sine=f=440:r=48000:d=10 \
  -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 192k -shortest "$work/in.mp4"

third=0.3333
mix="colorchannelmixer=rr=$third:rg=$third:rb=$third:gr=$third:gg=$third:gb=$third:br=$third:bg=$third:bb=$third"
lut="clip(255*(val/256-0.415)/0.17,0,255)"
filter="format=rgb24,$mix,lutrgb=r='$lut':g='$lut':b='$lut',format=yuv420p"
encode=(-c:v libx264 -pix_fmt yuv420p -c:a aac -b:a 192k)

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

ours_file=$(seconds "$bin" render "$work/in.mp4" "$work/ours.mp4" --quiet "${plugin[@]}")
theirs_file=$(seconds ffmpeg -nostdin -v error -y -i "$work/in.mp4" -vf "$filter" "${encode[@]}" "$work/theirs.mp4")
ours_null=$(seconds "$bin" render "$work/in.mp4" null --quiet "${plugin[@]}")
theirs_null=$(seconds ffmpeg -nostdin -v error -y -i "$work/in.mp4" -vf "$filter" -f null -)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-28s %10s %10s %8s\n' "" velmorance ffmpeg ratio
printf '%-28s %9ss %9ss %7sx\n' "H.264 + AAC to .mp4" "$ours_file" "$theirs_file" "$(ratio "$ours_file" "$theirs_file")"
printf '%-28s %9ss %9ss %7sx\n' "discarded output" "$ours_null" "$theirs_null" "$(ratio "$ours_null" "$theirs_null")"
echo "target: velmorance at most 1.1x the ffmpeg chain with the same encoder"
