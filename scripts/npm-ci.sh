#!/bin/sh
# npm-ci.sh <folder>: installs the npm packages pinned by <folder>/package-lock.json into
# <folder>/node_modules, unless the same lock file was installed there already. Installs
# Debian's npm first where the machine's Node.js came without it.
set -eu
dir=$(cd "$1" && pwd)
stamp=$dir/node_modules/.installed-package-lock.json
if [ -f "$stamp" ] && cmp -s "$dir/package-lock.json" "$stamp"; then
    exit 0
fi
if ! command -v npm >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends npm >/dev/null
fi
cd "$dir"
npm ci --no-audit --no-fund --loglevel=error
cp package-lock.json "$stamp"
