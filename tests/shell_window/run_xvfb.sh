#!/bin/sh
# Runs a test program on a virtual X server of its own. Without xvfb-run the test is skipped (77).
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "skipped: xvfb-run is not installed (Debian package xvfb)"
  exit 77
fi
unset SDL_VIDEODRIVER
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
