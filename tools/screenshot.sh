#!/usr/bin/env bash
# Takes docs/window.png and docs/titles.png: opens the window on a virtual X server (the real xcb
# platform, 96 dpi) and grabs it as it first shows; then opens it again on a short sample film
# and grabs the dialog of File > Show titles... (Ctrl+T), with the display's rate set to 25.
#   tools/screenshot.sh            build with ./dev build, then take the picture
#   tools/screenshot.sh BUILD_DIR  take it with the marvek already built in BUILD_DIR
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

PACKAGES=(xvfb xauth x11-utils imagemagick xdotool)
OUTPUT=docs/window.png
TITLES_OUTPUT=docs/titles.png

# Waits until the window called $1 is mapped, and a little longer for its first paint.
await_window() {
  for _ in $(seq 300); do
    xwininfo -name "$1" 2>/dev/null | grep -q 'Map State: IsViewable' && break
    sleep 0.1
  done
  sleep 0.5
}

# A few minutes of a film, in UTF-8: a title that starts before the one before it has ended
# waits for it on the display.
write_sample_film() {
  cat >"$1" <<'FILM'
{25}{100}Dobro veče, gospođo.
{110}{190}Kako ste danas?|Dobro, hvala.
{250}{320}Čaša vode, molim.
{330}{420}Evo, izvolite.
{400}{470}Hvala lijepa!
{600}{700}Gdje je ključ?|Na stolu.
{760}{840}Žao mi je, nisam ga vidio.
{900}{1010}Idemo kući.
{1100}{1180}Laku noć.
{1250}{1400}Sutra ćemo vidjeti.
{1450}{1520}Đak je zakasnio.
{1600}{1700}Šetnja uz rijeku.
FILM
}

# Run on the virtual display by the part below: opens the window, waits until it is mapped and
# grabs it (its caption ends in the version, which the program tells); then the titles dialog
# of the sample film.
if [ "${1:-}" = "--on-display" ]; then
  CAPTION="Marvek Converter/Uploader v$("$2" --version | awk '{ print $NF }')"
  QT_QPA_PLATFORM=xcb "$2" &
  pid=$!
  await_window "$CAPTION"
  import -window "$CAPTION" "$OUTPUT"
  kill "$pid"
  wait "$pid" 2>/dev/null || true

  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  film=$scratch/film.sub
  write_sample_film "$film"
  # Settings of this run's own: the display's rate, so the dialog shows times.
  mkdir -p "$scratch/config/marvek"
  printf '[timing]\ndisplayRate=25\n' >"$scratch/config/marvek/marvek.conf"
  XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=xcb "$2" "$film" &
  pid=$!
  await_window "$CAPTION"
  xdotool search --name "^$CAPTION\$" windowfocus --sync key ctrl+t
  await_window "Titles of film.sub"
  import -window "Titles of film.sub" "$TITLES_OUTPUT"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
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
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" --on-display "$binary"
echo "screenshot: wrote $OUTPUT and $TITLES_OUTPUT"
