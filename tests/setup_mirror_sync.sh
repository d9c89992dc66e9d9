#!/usr/bin/env bash
# scripts/setup.sh on a mirror part-way through a sync, with a stand-in apt-get: the update
# fails on one index and the first install on mismatched versions; setup carries on past the
# one and installs with the machine's own release preferred after the other.
# usage: setup_mirror_sync.sh SETUP_SH
set -euo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'SH'
#!/bin/sh
echo "$*" >>"$CALLS"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch file:/archive/dists/x-security/main/binary-i386/Packages.xz  File has unexpected size" >&2
    exit 100 ;;
  *" -t "*) exit 0 ;;
  *) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
esac
SH
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query" # nothing is installed
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
chmod +x "$work"/bin/*

CALLS=$work/calls PATH="$work/bin:$PATH" "$setup" demo 2>"$work/err" || {
  echo "FAIL setup ended with status $?"; cat "$work/err"; exit 1; }
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
second=$(grep -E '(^| )install ' "$work/calls" | sed -n 2p || true)
grep -q 'not refreshed: file:/archive/dists/x-security' "$work/err" ||
  { echo "FAIL the failed index is not named:"; cat "$work/err"; exit 1; }
[[ " $second " == *" -t $release "* ]] ||
  { echo "FAIL the second install does not prefer $release: $second"; exit 1; }
echo "ok   setup carries on past a failed index and retries with -t $release"
