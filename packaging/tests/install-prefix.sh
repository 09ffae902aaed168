#!/bin/sh
# install-prefix.sh BUILD: `cmake --install` of BUILD under a temporary prefix, as a user without
# root would install it. Everything lands in its place, the programs and libraries find each
# other there and not in the build, the host manifests name the installed host, and the demo
# page runs through the installed page-runner and plug-in on a simulated remote.
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

for file in bin/hidlet-list bin/uhid-remote bin/usb-remote bin/page-runner \
            lib/remote-bridge/libHidlet.so lib/remote-bridge/libKVE.so lib/remote-bridge/remote-bridge-host \
            lib/remote-bridge/render-helper lib/remote-bridge/bundle-info.txt lib/mozilla/plugins/device-plugin.so \
            lib/udev/rules.d/70-remote-bridge.rules share/remote-bridge/extension/manifest.json \
            share/remote-bridge/examples/demo.js share/man/man1/page-runner.1.gz; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -z "$(find "$prefix/share/remote-bridge/extension" -path '*tests*')" ] || fail "the extension's tests were installed"

# Every binary finds its libraries, and none of them in the build.
for binary in "$prefix"/bin/* "$prefix"/lib/remote-bridge/*.so "$prefix"/lib/remote-bridge/remote-bridge-host \
              "$prefix"/lib/remote-bridge/render-helper "$prefix"/lib/mozilla/plugins/device-plugin.so; do
    libraries=$(ldd "$binary") || fail "ldd $binary"
    if echo "$libraries" | grep -q 'not found'; then fail "$binary: $(echo "$libraries" | grep 'not found')"; fi
    if echo "$libraries" | grep -qF "$build/"; then fail "$binary loads from the build: $libraries"; fi
done

for manifest in "$prefix/etc/chromium/native-messaging-hosts/org.example.remote_bridge.json" \
                "$prefix/lib/mozilla/native-messaging-hosts/org.example.remote_bridge.json"; do
    [ -f "$manifest" ] || fail "no host manifest $manifest"
    grep -qF "\"path\": \"$prefix/lib/remote-bridge/remote-bridge-host\"" "$manifest" \
        || fail "$manifest does not name the installed host: $(cat "$manifest")"
done

out=$(cd / && HIDLET_SIM='id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=2' \
      "$prefix/bin/page-runner" "$prefix/share/remote-bridge/examples/demo.js" 2>&1) || { echo "$out"; fail "demo page exits with $?"; }
echo "$out" | grep -qF 'answer: 4 report(s)' || { echo "$out"; fail "the demo page got no answer of 4 reports"; }
echo "installed under a prefix of its own; the demo page answers"
