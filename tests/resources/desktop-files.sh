#!/usr/bin/env bash
# The desktop files as installed: the menu entry and the metainfo pass the freedesktop
# validators, the icons are RGBA PNGs of their sizes in the hicolor theme, and the entry's
# launcher runs the per-user install step, then the game, even when the step fails.
#   desktop-files.sh CMAKE BUILD_DIR APP_ID
set -euo pipefail
cmake=$1 build=$2 id=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "desktop files: $*" >&2; exit 1; }

# A prefix with a space in it, as a home folder may have: the entry must quote the path.
prefix="$scratch/pre fix"
"$cmake" --install "$build" --component desktop --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/$id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
# Even pedantic remarks and hints count: the validator passes those, this check does not.
remarks=$(appstreamcli validate --no-net --pedantic --no-color "$prefix/share/metainfo/$id.metainfo.xml") ||
  fail "appstreamcli rejects the metainfo: $remarks"
! grep -E '^[EWIP]: ' <<<"$remarks" || fail "appstreamcli remarks on the metainfo"
grep -qxF "Exec=\"$prefix/bin/huebloc-launcher\"" "$entry" || fail "Exec does not name the installed launcher"
grep -qxF "Icon=$id" "$entry" || fail "Icon is not $id"

for size in 48 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  # The PNG signature and header: width, height, 8 bits per channel, colour type 6 (RGBA).
  expected=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x0806' "$size" "$size")
  [ "$(od -An -tx1 -N26 "$icon" | tr -d ' \n')" = "$expected" ] || fail "$icon is not a $size x $size RGBA PNG"
done

# Stand-ins for the two programs: the install step fails; the game checks it ran first.
cat >"$prefix/bin/huebloc-setup" <<'EOF'
#!/bin/sh
touch "$(dirname "$0")/setup-ran"
exit 1
EOF
cat >"$prefix/bin/huebloc" <<'EOF'
#!/bin/sh
[ -f "$(dirname "$0")/setup-ran" ] || exit 90
echo "$*"
exit 7
EOF
chmod +x "$prefix/bin/huebloc-setup" "$prefix/bin/huebloc"
status=0
out=$("$prefix/bin/huebloc-launcher" one "two words" 2>/dev/null) || status=$?
[ "$status" = 7 ] || fail "the launcher ended with $status, not the game's 7"
[ "$out" = "one two words" ] || fail "the game got '$out' as its arguments"
echo "desktop files: entry, metainfo, icons and launcher as expected"
