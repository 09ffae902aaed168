#!/bin/sh
# The Debian package on this machine: built from the build folder, installed with dpkg, used,
# and purged again. It changes the machine, so it runs only as root and only under CI=true or
# REMOTE_BRIDGE_PACKAGE_TESTS=1; elsewhere every step reports itself skipped (exit 77).
#   installed-package.sh install BUILD STATE   build the package, lintian, dpkg -i
#   installed-package.sh tools                 the installed tools answer --help, have manual pages
#   installed-package.sh demo                  the demo page through the installed plug-in
#   installed-package.sh remove STATE          dpkg --purge; nothing the package installed is left
#   installed-package.sh run COMMAND...        COMMAND, against the installed package
# STATE is a folder of the test's own: the package, its file list, and what existed before.
set -eu
step=$1
package=remote-bridge
skip=77

wanted() {
    [ "$(id -u)" -eq 0 ] && { [ "${CI:-}" = true ] || [ "${REMOTE_BRIDGE_PACKAGE_TESTS:-}" = 1 ]; }
}
if ! wanted; then
    echo "skipped: installs a package into this machine; runs as root under CI=true or REMOTE_BRIDGE_PACKAGE_TESTS=1"
    exit $skip
fi

fail() { echo "FAILED: $*" >&2; exit 1; }

installed_here() {
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed\|half\|unpacked\|config-files'
}

case $step in
run)
    shift
    exec "$@"
    ;;
install)
    build=$2; state=$3
    rm -rf "$state"; mkdir -p "$state"
    # A package that was there before the test is someone's; the test would take it away.
    if installed_here; then
        fail "$package is already installed here; remove it first (dpkg --purge $package)"
    fi
    (cd "$build" && cpack -G DEB -B "$state/cpack") >"$state/cpack.log" 2>&1 || { cat "$state/cpack.log"; fail "cpack"; }
    deb=$(ls "$state"/cpack/${package}_*.deb)
    echo "package: $deb"
    dpkg-deb -I "$deb" | sed -n 's/^ Depends:/depends:/p'
    # lintian: warnings are listed, errors fail.
    lintian --tag-display-limit 0 "$deb" >"$state/lintian.log" 2>&1 || true
    grep -v '^running with root' "$state/lintian.log" || true
    if grep -q '^E:' "$state/lintian.log"; then fail "lintian reports errors"; fi
    # What the package brings, and which of those paths the machine had before (shared folders
    # such as /usr/bin stay after removal; the package's own must go).
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/*$' >"$state/paths"
    while read -r p; do
        if [ -e "$p" ] || [ -L "$p" ]; then echo "$p"; fi
    done <"$state/paths" >"$state/existed-before"
    touch "$state/installing"
    dpkg -i "$deb" || fail "dpkg -i"
    installed_here || fail "$package not installed after dpkg -i"
    ;;
tools)
    for tool in hidlet-list uhid-remote usb-remote page-runner; do
        out=$("/usr/bin/$tool" --help) || fail "$tool --help exits with $?"
        echo "$out" | grep -q "^usage: $tool" || fail "$tool --help prints no usage: $out"
        man -w "$tool" >/dev/null 2>&1 || [ ! -x /usr/bin/man ] || fail "no manual page for $tool"
    done
    echo "the installed tools answer --help"
    ;;
demo)
    # page-runner finds the plug-in in the browsers' plug-in folder, and the plug-in libKVE.so in
    # the package's private folder: nothing here names the build.
    out=$(cd / && HIDLET_SIM='id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=2' \
          /usr/bin/page-runner /usr/share/remote-bridge/examples/demo.js 2>&1) || { echo "$out"; fail "demo page exits with $?"; }
    echo "$out"
    for expected in 'answer: 4 report(s)' 'cancelled request ended with: {{600|Cancel command}}' \
                    'cleanupAll: {{0|Cleanup all successfully executed!}}'; do
        echo "$out" | grep -qF "$expected" || fail "the demo page printed no '$expected'"
    done
    ;;
remove)
    state=$2
    [ -e "$state/installing" ] || { echo "nothing was installed"; exit 0; }
    dpkg --purge "$package" || fail "dpkg --purge"
    rm -f "$state/installing"
    ! installed_here || fail "$package still known to dpkg after purge"
    # A folder of the package's that is still there holds someone else's files (a browser's
    # policy folder under /etc/chromium, say): only files, links and empty folders count.
    left=$(while read -r p; do
        grep -qxF "$p" "$state/existed-before" && continue
        if [ -L "$p" ] || [ -f "$p" ] || { [ -d "$p" ] && [ -z "$(ls -A "$p")" ]; }; then echo "$p"; fi
    done <"$state/paths")
    [ -z "$left" ] || fail "left behind after purge: $left"
    echo "purged; nothing the package installed is left"
    ;;
*)
    echo "usage: $0 install BUILD STATE | tools | demo | remove STATE | run COMMAND..." >&2
    exit 2
    ;;
esac
