#!/usr/bin/env bash
# The programs answer --version with the project's version, and vetra-viewer answers --version and
# --help without a display (no DISPLAY, no WAYLAND_DISPLAY, no offscreen platform).
#
#   program_info_test.sh VERSION VETRA VIEWER|-
#
# Run by ctest on the build's programs and by scripts/check-package on the package's.
set -euo pipefail
version=$1 vetra=$2 viewer=$3
source "$(dirname "$0")/help_lists.sh"

answer=$("$vetra" --version) || fail "vetra --version exits with $?"
[ "$answer" = "vetra $version" ] || fail "vetra --version prints '$answer'"
if [ "$viewer" != - ]; then
  headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$viewer" "$@"; }
  answer=$(headless --version) || fail "vetra-viewer --version exits with $?"
  [ "$answer" = "vetra-viewer $version" ] || fail "vetra-viewer --version prints '$answer'"
  answer=$(headless --help) || fail "vetra-viewer --help exits with $?"
  grep -q "^Usage: vetra-viewer " <<<"$answer" || fail "vetra-viewer --help prints no usage"
fi
echo "program info: version $version answered"
