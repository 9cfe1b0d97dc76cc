#!/usr/bin/env bash
# Fetches and unpacks the source of one Debian package into a folder, without touching the system's
# apt configuration: the system's own package sources, turned into source entries, go into a private
# sources list inside that folder, with private index and cache folders.
#   scripts/debian-source.sh PACKAGE FOLDER
# Needs dpkg-dev (dpkg-source) and the network to the system's package sources.
set -euo pipefail
package=$1
folder=$2
apt_dir=$folder/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"

# One-line lists: "deb " lines become "deb-src "; deb822 files: "Types: deb" becomes "Types: deb-src".
: >"$apt_dir/sources.list"
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >>"$apt_dir/sources.list"
done
for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] || continue
    sed 's/^Types:.*/Types: deb-src/' "$list" >"$apt_dir/sources.list.d/$(basename "$list")"
done

options=(
    -o "Dir::Etc::sourcelist=$apt_dir/sources.list"
    -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=root"
)
apt-get -qq "${options[@]}" update
cd "$folder"
apt-get -qq "${options[@]}" source "$package"
