#!/bin/sh
# Installs the Debian packages of scripts/packages.txt that are missing.
# Needs root (or sudo) only when something is missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
missing=""
for p in $(grep -v '^#' "$here/packages.txt" | sed '/^$/d'); do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
