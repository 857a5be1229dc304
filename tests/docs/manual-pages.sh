#!/usr/bin/env bash
# The manual pages as built: each renders without a warning from groff and mandoc, and the
# options its OPTIONS section describes are exactly those its program's --help lists.
#   manual-pages.sh PAGE_DIR PAGE=PROGRAM...
set -euo pipefail
pages=$1
shift
failures=0
fail() { echo "manual pages: $*" >&2; failures=$((failures + 1)); }

# Every word that starts with one or two dashes and a letter, one a line, sorted.
options() { grep -oE -- '(^|[][[:space:],|(])--?[[:alpha:]][[:alnum:]-]*' | sed 's/^[^-]*//' | sort -u; }

for pair in "$@"; do
  page=$pages/${pair%%=*}.gz program=${pair#*=}
  source=$(zcat "$page")
  warnings=$(groff -ww -man -Tutf8 -z <<<"$source" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
  warnings=$(mandoc -man -Tlint -Wall <<<"$source" 2>&1) || true
  [ -z "$warnings" ] || fail "mandoc warns about $page: $warnings"

  help=$("$program" --help) || fail "$program --help ended with $?"
  described=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' <<<"$source" | sed 's/\\-/-/g' | options)
  listed=$(options <<<"$help")
  [ -n "$described" ] || fail "$page describes no options"
  if [ "$described" != "$listed" ]; then
    fail "$page and $program --help disagree (< only on the page, > only in --help):
$(diff <(echo "$described") <(echo "$listed") | grep '^[<>]')"
  fi
done
[ "$failures" -eq 0 ] || exit 1
echo "manual pages: all $# render cleanly and agree with --help"
