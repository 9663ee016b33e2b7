#!/bin/sh
# Builds everything in release mode and starts Vellomar from build/release/bin/, passing the
# arguments on to its command line.
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
  echo "Vellomar needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  echo "Without one, run it on a virtual display: xvfb-run scripts/run.sh $*" >&2
  exit 1
fi
exec build/release/bin/Vellomar "$@"
