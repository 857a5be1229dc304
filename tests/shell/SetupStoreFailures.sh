#!/usr/bin/env bash
# The per-user install step ends at once, with a message naming the settings file and the
# cause, when the store cannot be used: a FIFO at the file's place (which must not make it
# wait), no home folder at all, a folder it may not write in. ctest's timeout guards the waits.
set -euo pipefail
setup=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
chmod 755 "$root"
failures=0

expect() {  # message the run must print, command...
  local want=$1 out status=0
  shift
  out=$("$@" 2>&1) || status=$?
  if [ "$status" -ne 1 ] || [ "$out" != "$want" ]; then
    printf 'FAIL: %s\n  exit %s, printed: %s\n  expected:        %s\n' "$*" "$status" "$out" "$want"
    failures=$((failures + 1))
  else
    printf 'ok: %s\n' "$out"
  fi
}

file=$root/fifo/huebloc/settings.reg
mkdir -p "$(dirname "$file")"
mkfifo "$file"
expect "huebloc-setup: Cannot read the store file '$file': it is a FIFO (named pipe), not a regular file" \
  env XDG_CONFIG_HOME="$root/fifo" "$setup"

# The remaining causes need a user without a home folder or rights: root can take one on.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  cp "$setup" "$root/huebloc-setup"
  as_nobody=(setpriv --reuid=54321 --regid=54321 --clear-groups)
  no_home="there is no home folder (neither XDG_CONFIG_HOME nor HOME holds an absolute path,"
  no_home+=" and the user has none in the password database)"
  expect "huebloc-setup: Failed to set data for 'Path': no place for the store file settings.reg: $no_home" \
    env -i "${as_nobody[@]}" "$root/huebloc-setup"
  mkdir "$root/locked"
  file=$root/locked/huebloc/settings.reg
  cause="cannot create the folder '$root/locked/huebloc': Permission denied"
  expect "huebloc-setup: Failed to set data for 'Path': $file: $cause" \
    env -i XDG_CONFIG_HOME="$root/locked" "${as_nobody[@]}" "$root/huebloc-setup"
else
  echo "skipped: the causes that need another user (not run as root)"
fi
exit $((failures > 0))
