#!/bin/sh
# The README's commands on a machine that has no make yet, such as a minimal
# Debian 12 (the debian:12 image): `./make demo` and `./make test` install what
# the project needs, make included, and then run the very same targets. Where
# GNU make is installed this only hands over to it.
set -eu
cd "$(dirname "$0")"

# A PATH holding "." finds this script again: it never hands over to itself
# (no variable marks the hand-over, so make and what it runs, tests of this
# script included, see the environment they were given).
found=$(command -v make 2>/dev/null || true)
case "$found" in
    /*) if [ "$found" -ef "$PWD/make" ]; then found=; fi ;;
    *) found= ;;
esac
[ -n "$found" ] || found=$(PATH=/usr/local/bin:/usr/bin:/bin command -v make 2>/dev/null || true)
if [ -z "$found" ]; then
    echo "make: GNU make is not installed; scripts/setup installs it with the rest"
    scripts/setup
    found=$(PATH=/usr/local/bin:/usr/bin:/bin command -v make 2>/dev/null || true)
fi
if [ -z "$found" ] || [ "$found" -ef "$PWD/make" ]; then
    echo "make: GNU make is still missing after scripts/setup" >&2
    exit 127
fi
exec "$found" "$@"
