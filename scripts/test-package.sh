#!/usr/bin/env bash
# Builds the Debian package from a copy of the tree without its build folders, checks the
# package with lintian (no error, no warning), unpacks it into a temporary root and plays the
# unpacked game through one short journey under Xvfb with a private store
# (tests/e2e/journeys.py --unpacked). A failed run keeps its folder and says where.
#   PACKAGE_OUT  a folder to copy the built .deb, .changes and lintian's report into
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
started=$SECONDS
work=$(mktemp -d -t huebloc-package-XXXXXX)
failed() { echo "package: $*; its files are in $work" >&2; trap - EXIT; exit 1; }
trap 'rm -rf "$work"' EXIT

mkdir "$work/huebloc"
tar --exclude=./.git --exclude='./build*' --exclude='./obj-*' --exclude=./out -cf - . | tar -xf - -C "$work/huebloc"
(cd "$work/huebloc" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -b) \
  >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; failed "dpkg-buildpackage failed"; }
deb=$(echo "$work"/huebloc_*_*.deb)
echo "package: built $(basename "$deb") in $((SECONDS - started)) s"

# Informational tags are shown too, though they do not fail the check.
lintian --fail-on error,warning --display-info "$work"/huebloc_*.changes >"$work/lintian.txt" ||
  { cat "$work/lintian.txt"; failed "lintian reports errors or warnings"; }
sed 's/^/package: lintian: /' "$work/lintian.txt"
[ -s "$work/lintian.txt" ] || echo "package: lintian: no tags"

root=$work/root
dpkg-deb -x "$deb" "$root"
entry=$(echo "$root"/usr/share/applications/*.desktop)
grep -qx 'Exec=/usr/games/huebloc-launcher' "$entry" || failed "$entry does not start /usr/games/huebloc-launcher"
tests/e2e/journeys.py "$work"/huebloc/obj-* --unpacked "$root" || failed "the unpacked game failed its journey"

if [ -n "${PACKAGE_OUT:-}" ]; then
  mkdir -p "$PACKAGE_OUT"
  cp "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$work/lintian.txt" "$PACKAGE_OUT/"
fi
echo "package: built, checked and played in $((SECONDS - started)) s"
