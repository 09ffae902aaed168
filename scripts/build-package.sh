#!/bin/sh
# build-package.sh [DIR]: builds the Debian package of everything the project installs, in DIR
# (default: build-package/ of this checkout), and prints its file name. Only the installed
# targets are built, no test. Install it with: sudo apt install ./DIR/remote-bridge_*.deb
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-package}
sh "$root/scripts/install-deps.sh" demo package
sh "$root/scripts/build.sh" "$dir" --target deliverables
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/remote-bridge_*.deb
