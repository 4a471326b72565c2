#!/usr/bin/env bash
# Proves the two README commands need nothing this machine happens to have: makes a minimal
# Debian 12 root with debootstrap, clones the committed tree into it and runs ./demo and
# ./run-tests there. Usage: tools/fresh-root-check.sh [ROOT] (default /var/tmp/tessel-fresh-root;
# an existing root is reused, so a second check starts at the clone).
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/var/tmp/tessel-fresh-root}
export DEBIAN_FRONTEND=noninteractive
for p in debootstrap git; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -qq; apt-get install -y -qq --no-install-recommends "$p" >/dev/null; }
done
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
started=$SECONDS
if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "debootstrap (minbase, bookworm) into $root"
  debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
fi
[ -f /etc/apt/sources.list.d/debian.sources ] && cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mounted=()
cleanup() { for ((i=${#mounted[@]}-1; i>=0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done; }
trap cleanup EXIT
for m in proc sys dev dev/pts; do
  mkdir -p "$root/$m"
  case $m in
    proc) mount -t proc proc "$root/proc" ;;
    sys) mount -t sysfs sys "$root/sys" ;;
    *) mount --bind "/$m" "$root/$m" ;;
  esac
  mounted+=("$root/$m")
done
mkdir -p "$root/dev/shm" && mount -t tmpfs shm "$root/dev/shm" && mounted+=("$root/dev/shm")
rm -rf "$root/work/tessel"
mkdir -p "$root/work"
git clone -q --no-local . "$root/work/tessel"
echo "root ready after $((SECONDS - started)) s"
in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 CI=true "$@"; }
t=$SECONDS
in_root bash -c 'cd /work/tessel && ./demo' >"$root.demo.log" 2>&1 && demo=ok || demo=FAILED
echo "./demo in the fresh root: $demo ($((SECONDS - t)) s)"; tail -n 12 "$root.demo.log"
t=$SECONDS
in_root bash -c 'cd /work/tessel && ./run-tests' >"$root.tests.log" 2>&1 && tests=ok || tests=FAILED
echo "./run-tests in the fresh root: $tests ($((SECONDS - t)) s)"; tail -n 15 "$root.tests.log"
echo "fresh-root check: $((SECONDS - started)) s in all"
[ "$demo" = ok ] && [ "$tests" = ok ]
