#!/usr/bin/env bash
# Installs what a command of this project needs on a Debian machine; quiet when all is there.
#   setup.sh demo   what scripts/demo.sh needs: the Windows cross compiler, CMake, Ninja, Wine
#   setup.sh test   everything building and testing need
#   setup.sh bench  and what scripts/bench.sh and scripts/collections.sh measure with
set -euo pipefail

demo_packages=(cmake ninja-build g++-mingw-w64-i686-win32 wine wine32:i386 xvfb)
test_packages=("${demo_packages[@]}"
  g++ clang clang-format clang-tidy cppcheck libclang-rt-14-dev libgtest-dev strace time
  binutils-mingw-w64-i686 wine64 icoutils unzip)
# Debian's Italian, Czech and German collections of sayings, and fortune to compare with.
bench_packages=("${test_packages[@]}" hyperfine fortunes-it fortunes-cs fortunes-de fortune-mod)

case ${1:-} in
  demo) packages=("${demo_packages[@]}") ;;
  test) packages=("${test_packages[@]}") ;;
  bench) packages=("${bench_packages[@]}") ;;
  *) echo "usage: setup.sh demo|test|bench" >&2; exit 2 ;;
esac

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# A mirror part-way through a sync fails single indexes, and apt-get update then fails as a
# whole; the lists at hand still serve.
refresh_lists() {
  $sudo apt-get update -qq 2>"$log" && return
  echo "setup: warning: apt-get update failed; carrying on with the package lists at hand" >&2
  sed -n 's/^[EW]: Failed to fetch /setup: warning: not refreshed: /p' "$log" >&2
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" \
    >"$log" 2>&1
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "setup: installing ${missing[*]}" >&2
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  refresh_lists
  apt_install "${missing[@]}" && return
  # With one suite's index stale, amd64 libraries may be offered at newer versions than their
  # i386 twins, which multiarch refuses; the release's own versions match for both.
  local release
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "setup: installing failed; trying again with $release's own versions (-t $release)" >&2
  apt_install -t "$release" "${missing[@]}" && return
  echo "setup: could not install ${missing[*]}; apt says:" >&2
  grep -v '^\s*$' "$log" | head -n 10 | sed 's/^/setup:   /' >&2
  exit 1
}

# Some kernels run with 32-bit emulation switched off, so the 32-bit Wine loader cannot start.
# There a user-mode emulator registered for i386 ELF files runs it. Bookworm's qemu 7 spends
# close to a minute in Wine's address-space reservation per process; trixie's static qemu 10
# starts a process in a fraction of a second, so that one is fetched from the machine's Debian
# archive.
qemu=/usr/local/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc

can_run_i386() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

fetch_qemu() {
  [ -x "$qemu" ] && return
  echo "setup: fetching qemu-user from trixie for 32-bit emulation" >&2
  local work
  work=$(mktemp -d)
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  # The archive this machine installs its own release from, as its apt configuration names it.
  local codename archive
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  archive=$(apt-get indextargets --no-release-info --format '$(REPO_URI)' "Release: $codename" |
    head -1)
  [ -n "$archive" ] || { echo "setup: no apt source for $codename" >&2; exit 1; }
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive trixie main" \
    >"$work/trixie.list"
  local opts=(-o Dir::Etc::sourcelist="$work/trixie.list" -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Architectures::=amd64 -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  (cd "$work" && apt-get "${opts[@]}" download -qq qemu-user/trixie >/dev/null)
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/root"
  $sudo install -m 755 "$work/root/usr/bin/qemu-i386" "$qemu"
  rm -rf "$work"
}

register_qemu() {
  [ -d "$binfmt/register" ] || [ -e "$binfmt/register" ] ||
    $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -e "$binfmt/qemu-i386" ] && echo -1 | $sudo tee "$binfmt/qemu-i386" >/dev/null
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
    $sudo tee "$binfmt/register" >/dev/null
}

install_packages
if ! can_run_i386; then
  fetch_qemu
  register_qemu
  can_run_i386 || { echo "setup: 32-bit programs still cannot run" >&2; exit 1; }
fi
