#!/usr/bin/env bash
# The main job: installs what is missing, builds, and shows the effect on
# real files. Writes everything into ./out and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORANCE_BUILD_TESTS=OFF -DVELMORANCE_BUILD_BENCH=OFF
cmake --build build -j "$(nproc)"

out=$PWD/out
mkdir -p "$out"

# A generated picture through the effect, without any host.
./build/bin/velmorance-demo "$out"

# A sample clip with picture and sound, rendered by the host program with a
# fade-in and a fade-out, and a thumbnail of it.
sample=$out/sample.mp4
if [ ! -s "$sample" ]; then
  echo "Generating $sample"
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=720x480:rate=30000/1001:duration=5" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=5" \
    -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$sample"
fi
./build/bin/velmorance render "$sample" "$out/sample-print.mp4" --fade-in 30 --fade-out 30 --overwrite
./build/bin/velmorance thumbnail "$sample" "$out/sample-thumbnail.png" --at 75 --overwrite

echo
echo "Results in $out:"
ls -l "$out"
