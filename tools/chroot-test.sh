#!/usr/bin/env bash
# Runs the README's test command (./test.sh, or another command) on a fresh
# Debian release made from Debian's archive with mmdebstrap: the check that
# the game builds, plays and passes its tests on a release other than the
# machine's own (Debian 13 by default).
#
#   tools/chroot-test.sh [--release CODENAME] [--keep DIR] [--user] [--deb FILE] [-- COMMAND...]
#
# --release  the Debian release to test on (default trixie, Debian 13)
# --keep DIR make the system in DIR and keep it, or reuse DIR when it holds
#            one already (for repeated runs by hand; CI makes a fresh one)
# --user     run the command as an ordinary user with sudo, not as root
# --deb FILE a package built on this machine: ./test.sh's package phase
#            installs, plays and purges it on the new system too
#
# The files git tracks (and new ones it does not ignore) are copied into the
# new system; nothing in the tree is changed. Everything runs in a mount and
# process namespace of its own: the mounts it makes vanish when it ends, and
# ending it ends every process it started, and nothing else. Needs root
# (or sudo), mmdebstrap (installed when missing) and Debian's archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=trixie
keep=""
as_user=no
deb=""
while [ $# -gt 0 ]; do
  case $1 in
    --release) release=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    --user) as_user=yes; shift ;;
    --deb) deb=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "usage: $0 [--release CODENAME] [--keep DIR] [--user] [--deb FILE] [-- COMMAND...]" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || set -- ./test.sh

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -E "$0" --release "$release" ${keep:+--keep "$keep"} ${deb:+--deb "$deb"} \
    $([ "$as_user" = yes ] && echo --user) -- "$@"
fi
if ! command -v mmdebstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap ||
    { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap; }
fi

if [ -n "$keep" ]; then
  mkdir -p "$keep"
  system=$(cd "$keep" && pwd)
else
  system=$(mktemp -d "${TMPDIR:-/var/tmp}/quarndel-$release.XXXXXX")
  # Only a system this script made is removed, and only once nothing is
  # mounted in it any more (the namespace's mounts are gone by then).
  trap 'if ! grep -q " $system/" /proc/self/mountinfo; then rm -rf --one-file-system "$system"; fi' EXIT
fi
if [ ! -x "$system/usr/bin/apt-get" ]; then
  echo "Making a fresh Debian $release in $system"
  mmdebstrap --variant=minbase --include=ca-certificates,sudo,git "$release" "$system" \
    http://deb.debian.org/debian
fi
cp /etc/resolv.conf "$system/etc/resolv.conf" 2>/dev/null || true
cp /etc/hosts "$system/etc/hosts" 2>/dev/null || true # sudo looks up the host's name
# The new system trusts the certificate authorities this machine added (a
# proxy's, say), through which the npm registry may be reached.
if ls /usr/local/share/ca-certificates/*.crt >/dev/null 2>&1; then
  mkdir -p "$system/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$system/usr/local/share/ca-certificates/"
  chroot "$system" update-ca-certificates >/dev/null 2>&1 ||
    echo "warning: update-ca-certificates failed in $system" >&2
fi

# The tree as git sees it, in /src of the new system. Of what an earlier run
# with --keep left there only the build folders stay; every file comes in
# with the time of the copy, so that they rebuild what changed.
mkdir -p "$system/src"
find "$system/src" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r ls -d 2>/dev/null | tar -cf - -T -) | tar -C "$system/src" -m -xf -
else
  tar -C "$root" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$system/src" -m -xf -
fi

foreign=()
if [ -n "$deb" ]; then
  mkdir -p "$system/debs"
  cp "$deb" "$system/debs/"
  foreign=(QUARNDEL_FOREIGN_DEB="/debs/$(basename "$deb")")
fi
# What the command may need of this machine's environment: CI's flag, its
# proxies, and node's trust in the certificate authorities above.
passed=(CI="${CI:-}" TERM=dumb LANG=C.UTF-8 NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt)
for name in http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY; do
  [ -z "${!name:-}" ] || passed+=("$name=${!name}")
done
runner=(env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
  "${passed[@]}" "${foreign[@]}")
if [ "$as_user" = yes ]; then
  chroot "$system" sh -c 'id tester >/dev/null 2>&1 || useradd -m -s /bin/bash tester
    echo "tester ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/tester && chmod 0440 /etc/sudoers.d/tester
    chown -R tester: /src'
  runner=(env -i HOME=/home/tester PATH=/usr/local/bin:/usr/bin:/bin "${passed[@]}"
    "${foreign[@]}" setpriv --reuid=tester --regid=tester --init-groups)
fi

# In the namespace: the kernel's file systems the tests need (processes,
# devices' terminals, shared memory for Chromium), then the command. When the
# command ends, the namespace's first process ends and the kernel kills every
# process still left in it (an Xvfb, a browser) and drops its mounts.
echo "Running '$*' on Debian $release"
unshare --mount --pid --fork --propagation private -- bash -c '
  set -e
  system=$1
  shift
  mount -t proc proc "$system/proc"
  mount -t sysfs sys "$system/sys"
  mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$system/dev/pts"
  mount -t tmpfs -o mode=1777 shm "$system/dev/shm"
  mount -t tmpfs -o mode=1777 tmp "$system/tmp"
  cd "$system/src"
  exec chroot "$system" sh -c "cd /src && exec \"\$@\"" sh "$@"
' chroot-test "$system" "${runner[@]}" "$@"
