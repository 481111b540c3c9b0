#!/usr/bin/env bash
# Takes docs/window.png: opens the window on a virtual X server (the real xcb platform, 96 dpi)
# and grabs it as it first shows.
#   tools/screenshot.sh            build with ./dev build, then take the picture
#   tools/screenshot.sh BUILD_DIR  take it with the marvek already built in BUILD_DIR
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

PACKAGES=(xvfb xauth x11-utils imagemagick)
OUTPUT=docs/window.png

# Run on the virtual display by the part below: opens the window, waits until it is mapped and
# grabs it. The window's caption ends in the version, which the program tells.
if [ "${1:-}" = "--on-display" ]; then
  CAPTION="Marvek Converter/Uploader v$("$2" --version | awk '{ print $NF }')"
  QT_QPA_PLATFORM=xcb "$2" &
  pid=$!
  for _ in $(seq 100); do
    xwininfo -name "$CAPTION" 2>/dev/null | grep -q 'Map State: IsViewable' && break
    sleep 0.1
  done
  sleep 0.5  # the first paint follows the mapping
  import -window "$CAPTION" "$OUTPUT"
  kill "$pid"
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
fi

if [ $# -ge 1 ]; then
  binary=$1/src/app/marvek
else
  ./dev build
  binary=build/src/app/marvek
fi
[ -x "$binary" ] || { echo "screenshot: $binary is not built" >&2; exit 1; }

mkdir -p docs
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" "$0" --on-display "$binary"
echo "screenshot: wrote $OUTPUT"
