#!/bin/sh
# Runs a game (the demo game when no folder is given) in a window.  Without
# a display it says so and plays the demo through headless, writing its
# frames as PNG files.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
game=${1:-$root/games/demo}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/bin/kataribedori" "$game"
fi
out="$root/out/demo-frames"
mkdir -p "$out"
script="$root/games/demo.play"
if [ -n "${1:-}" ]; then
  script="$out/first-screen.play"
  printf 'wait\nshot first-screen.png\n' >"$script"
fi
echo "No display available: running $game headless."
echo "Frames are written to $out, the trace to $out/trace.jsonl."
exec "$root/build/bin/kataribedori" --headless --script "$script" --shots "$out" --trace "$out/trace.jsonl" "$game"
