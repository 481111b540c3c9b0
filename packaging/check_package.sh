#!/usr/bin/env bash
# Checks a built marvek .deb quickly: unpacks it and looks for what an operator's desktop and
# Debian's tools need, runs the validators on the unpacked tree, runs both programs from it,
# and runs lintian, which must report no errors. Prints lintian's remarks, then "package ok".
#
#   packaging/check_package.sh PATH/marvek_<version>_<arch>.deb
set -euo pipefail

deb=${1:?usage: check_package.sh PACKAGE.deb}
[ -f "$deb" ] || { echo "check_package: $deb does not exist" >&2; exit 1; }

tree=$(mktemp -d "${TMPDIR:-/tmp}/marvek-package.XXXXXX")
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

problems=0
fail() {
  echo "check_package: $*" >&2
  problems=$((problems + 1))
}

for file in usr/bin/marvek usr/bin/marvek-upload \
  usr/share/man/man1/marvek.1.gz usr/share/man/man1/marvek-upload.1.gz \
  usr/share/applications/marvek.desktop usr/share/icons/hicolor/scalable/apps/marvek.svg \
  usr/share/doc/marvek/copyright usr/share/doc/marvek/changelog.gz; do
  [ -f "$tree/$file" ] || fail "the package lacks /$file"
done
# man finds only compressed pages that are whole gzip files.
while IFS= read -r -d '' page; do
  case $page in
    *.gz) gzip -t "$page" || fail "${page#"$tree"} is not a whole gzip file" ;;
    *) fail "${page#"$tree"} is not compressed" ;;
  esac
done < <(find "$tree/usr/share/man" -type f -print0)
for size in 32 48 64 128 256; do
  icon=$tree/usr/share/icons/hicolor/${size}x${size}/apps/marvek.png
  file -b "$icon" | grep -q "PNG image data, $size x $size," ||
    fail "/usr/share/icons/hicolor/${size}x${size}/apps/marvek.png is no $size-pixel PNG"
done

desktop-file-validate "$tree"/usr/share/applications/*.desktop || fail "desktop-file-validate"
metainfo=("$tree"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "the package has no AppStream metadata"
appstreamcli validate --no-net --no-color "${metainfo[@]}" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net --no-color "${metainfo[@]}")"

# Both programs start from the unpacked tree (neither needs a display to answer --version).
for program in marvek marvek-upload; do
  if [ -x "$tree/usr/bin/$program" ]; then
    version=$("$tree/usr/bin/$program" --version) || fail "$program --version failed"
    echo "check_package: $program --version: $version"
  fi
done

# Running as root, as in a container, lintian says it would rather not; that line is no remark.
lintian --fail-on error "$deb" \
  2> >(grep -v 'running with root privileges' >&2) || fail "lintian reports errors"

[ "$problems" -eq 0 ] || { echo "check_package: $problems problem(s) in $deb" >&2; exit 1; }
echo "check_package: package ok: $deb"
