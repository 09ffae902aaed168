#!/bin/sh
# install-browser-bridge.sh: installs the native messaging host, its manifests for Chromium and
# Firefox, and the unpacked extension, for the current user; --remove takes them away again.
#
#   scripts/install-browser-bridge.sh [--build DIR] [--simulated[=DESCRIPTION]]
#   scripts/install-browser-bridge.sh --remove
#
#   --build DIR     the build folder holding lib/remote-bridge-host (default: build/ of this
#                   checkout, built first if the host is not there)
#   --simulated     the host talks to simulated remotes instead of the machine's (HIDLET_SIM; the
#                   default description is the demo's remote)
#
# What goes where:
#   ~/.local/lib/remote-bridge/                  the host and the libraries it loads beside it
#   ~/.local/share/remote-bridge/extension/      the extension, to load unpacked (README.md)
#   ~/.config/chromium/NativeMessagingHosts/     the host manifest for Chromium
#   ~/.mozilla/native-messaging-hosts/           the host manifest for Firefox
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
name=org.example.remote_bridge
build=$root/build
simulated=""
remove=no
for arg in "$@"; do
    case $arg in
        --remove) remove=yes ;;
        --simulated) simulated='id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=5' ;;
        --simulated=*) simulated=${arg#--simulated=} ;;
        --build=*) build=${arg#--build=} ;;
        --build) echo "install-browser-bridge: write --build=DIR" >&2; exit 2 ;;
        *) echo "usage: $0 [--build=DIR] [--simulated[=DESCRIPTION]] | --remove" >&2; exit 2 ;;
    esac
done

: "${HOME:?HOME is not set}"
lib_dir=$HOME/.local/lib/remote-bridge
extension_dir=$HOME/.local/share/remote-bridge/extension
chromium_manifest=${XDG_CONFIG_HOME:-$HOME/.config}/chromium/NativeMessagingHosts/$name.json
firefox_manifest=$HOME/.mozilla/native-messaging-hosts/$name.json

if [ $remove = yes ]; then
    rm -rf "$lib_dir" "$extension_dir"
    rmdir "$HOME/.local/share/remote-bridge" 2>/dev/null || true
    rm -f "$chromium_manifest" "$firefox_manifest"
    echo "install-browser-bridge: removed the host, its manifests and the extension"
    exit 0
fi

if [ ! -x "$build/lib/remote-bridge-host" ]; then
    echo "install-browser-bridge: building the host in $build first"
    sh "$root/scripts/build.sh" "$build"
fi

# The host finds libKVE.so (and libKVE libHidlet.so) in its own folder.
rm -rf "$lib_dir"
mkdir -p "$lib_dir"
cp "$build/lib/remote-bridge-host" "$build/lib/libKVE.so" "$build/lib/libHidlet.so" "$lib_dir/"
host=$lib_dir/remote-bridge-host
if [ -n "$simulated" ]; then
    # The browser starts the host with its own environment; this one sets the simulated remotes.
    host=$lib_dir/remote-bridge-host-simulated
    description=$(printf '%s' "$simulated" | sed "s/'/'\\\\''/g")
    cat >"$host" <<EOF
#!/bin/sh
HIDLET_SIM='$description'
export HIDLET_SIM
exec "$lib_dir/remote-bridge-host" "\$@"
EOF
    chmod 755 "$host"
fi

for browser in chromium firefox; do
    if [ $browser = chromium ]; then manifest=$chromium_manifest; else manifest=$firefox_manifest; fi
    mkdir -p "$(dirname "$manifest")"
    sed -e "s|@NATIVE_HOST_NAME@|$name|g" -e "s|@NATIVE_HOST_PATH@|$host|g" \
        "$root/native_host/manifests/$browser.json.in" >"$manifest"
done

rm -rf "$extension_dir"
mkdir -p "$extension_dir"
(cd "$root/extension" && cp -r manifest.json managed_schema.json background content options prompt "$extension_dir/")

echo "install-browser-bridge: host in $lib_dir${simulated:+ (simulated remotes: $simulated)}"
echo "  manifests: $chromium_manifest"
echo "             $firefox_manifest"
echo "  extension: $extension_dir (load it unpacked, see README.md)"
