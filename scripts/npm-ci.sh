#!/bin/sh
# npm-ci.sh <folder>: installs the npm packages pinned by <folder>/package-lock.json into
# <folder>/node_modules, unless the same lock file was installed there already.
# npm-ci.sh --check <folder>: only checks that they are installed from that lock file, and says
# how to install them when not (the tests that need them run it first).
# scripts/install-deps.sh runs the install for every lock file of the tree.
set -eu
check=no
if [ "${1:-}" = --check ]; then check=yes; shift; fi
dir=$(cd "$1" && pwd)
stamp=$dir/node_modules/.installed-package-lock.json
if [ -f "$stamp" ] && cmp -s "$dir/package-lock.json" "$stamp"; then
    exit 0
fi
if [ $check = yes ]; then
    if [ -d "$dir/node_modules" ]; then state="installed from another package-lock.json"; else state="not installed"; fi
    echo "npm-ci: the npm packages of $dir are $state;" >&2
    echo "  install them with: sh $(cd "$(dirname "$0")" && pwd)/install-deps.sh   (./run-tests.sh runs it first)" >&2
    exit 1
fi
if ! command -v npm >/dev/null 2>&1; then
    echo "npm-ci: npm is not installed; scripts/install-deps.sh installs Debian's npm with the tests' packages" >&2
    exit 1
fi
echo "npm-ci: installing the npm packages of $dir"
cd "$dir"
npm ci --no-audit --no-fund --loglevel=error
cp package-lock.json "$stamp"
