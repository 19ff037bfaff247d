#!/usr/bin/env bash
# The man pages keep up with the programs: every subcommand `vetra --help` lists has its section
# "## vetra NAME" in vetra(1), naming each of its options and actions (and the actions' options);
# every option `vetra-viewer --help` lists is named in vetra-viewer(1); and each rendered page
# given formats without a warning.
#
#   man_pages_test.sh VETRA VIEWER|- SOURCE_DIR [PAGE...]
#
# SOURCE_DIR holds vetra.1.scd and vetra-viewer.1.scd; PAGE is a rendered page (roff, or .gz).
# Run by ctest on the build's pages and by scripts/check-package on the package's.
set -euo pipefail
vetra=$1 viewer=$2 sources=$3
shift 3
source "$(dirname "$0")/help_lists.sh"

# The text of a section of the scdoc source, from its heading to the next heading.
section() {
  awk -v heading="$2" '$0 == heading { on = 1; next } /^#/ { on = 0 } on' "$1"
}

# expect_named TEXT WHAT NAMES: each of NAMES (lines) appears in TEXT in bold (*NAME*).
expect_named() {
  local name
  while read -r name; do
    [ -z "$name" ] || [ "$name" = -h ] || [ "$name" = --help ] || grep -qF -- "*$name*" <<<"$1" ||
      fail "$2 does not name $name"
  done <<<"$3"
}

subcommands=$(help_subcommands "$vetra")
[ -n "$subcommands" ] || fail "vetra --help lists no subcommand"
for sub in $subcommands; do
  text=$(section "$sources/vetra.1.scd" "## vetra $sub")
  [ -n "$text" ] || fail "vetra(1) has no section \"## vetra $sub\""
  expect_named "$text" "vetra(1), section vetra $sub," "$(help_options "$vetra" "$sub")"
  for action in $(help_subcommands "$vetra" "$sub"); do
    expect_named "$text" "vetra(1), section vetra $sub," "$action"
    expect_named "$text" "vetra(1), section vetra $sub," "$(help_options "$vetra" "$sub" "$action")"
  done
  grep -q "^Exit status:" <<<"$text" || fail "vetra(1), section vetra $sub, gives no exit status"
done

if [ "$viewer" != - ]; then
  options=$(env -u DISPLAY -u WAYLAND_DISPLAY "$viewer" --help |
            grep -oE '^  (-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+')
  [ -n "$options" ] || fail "vetra-viewer --help lists no option"
  expect_named "$(cat "$sources/vetra-viewer.1.scd")" "vetra-viewer(1)" "$options"
fi

for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man -l $page warns: $warnings"
done
echo "man pages: $(wc -w <<<"$subcommands") subcommands documented; $# pages render without warnings"
