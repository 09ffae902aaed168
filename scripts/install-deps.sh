#!/bin/sh
# Installs the Debian packages listed in scripts/packages/*.txt that are missing.
# Runs apt-get through sudo when not root. Safe to run again.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
wanted=$(cat "$here"/packages/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | grep -v '^$' | sort -u)
missing=""
for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "install-deps: installing$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
