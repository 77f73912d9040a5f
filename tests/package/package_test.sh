#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack, clean for lintian, its AppStream data
# valid, and, extracted into a temporary root, the demo starts from there through its launcher,
# which places a link to the installed program in the user's copy of the demo project.
set -euo pipefail
build=$1
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(echo "$work"/out/tarvo_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependency"; exit 1; }
if ! report=$(lintian --fail-on error "$deb" 2>&1); then
  echo "$report"
  exit 1
fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tarvo.Demo.metainfo.xml" >/dev/null
"$root/usr/bin/tarvo-check" "$root/usr/share/tarvo/demo"
# Without arguments it only says how it is used, and needs no server for that.
status=0
"$root/usr/bin/tarvo-migrate" 2>/dev/null || status=$?
[ "$status" = 2 ] || { echo "tarvo-migrate without arguments: exit $status"; exit 1; }

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=offscreen
"$root/usr/bin/tarvo-demo" &
pid=$!
project="$XDG_DATA_HOME/tarvo/demo"
for _ in $(seq 200); do
  [ -e "$project/sqlite.db" ] && break
  sleep 0.1
done
[ -e "$project/sqlite.db" ] || { echo "the demo did not create its database in $project"; exit 1; }
[ "$(readlink "$project/tarvo")" = "$root/usr/lib/tarvo/tarvo" ] || { echo "no link to the program"; exit 1; }
[ ! -e "$root/usr/lib/tarvo/sqlite.db" ] || { echo "the database landed beside the program"; exit 1; }
echo "package ok"
