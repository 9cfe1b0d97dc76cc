#!/usr/bin/env bash
# Installs the Debian packages that the build, the demo and the tests need. Works as root, or
# through sudo for a normal user. Does nothing when everything is there already.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    clang clang-format libclang-rt-14-dev
    libgtest-dev libgmock-dev
    libpugixml-dev libfmt-dev
    python3 python3-dbf python3-dbfread python3-lxml libxml2-utils
    qt6-base-dev libchm-dev fp-utils libxcb1-dev fonts-dejavu-core fonts-liberation2
    xvfb xdotool x11-utils xclip imagemagick
    locales
    # The Windows build (make windows) and its tests under Wine.
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    googletest dpkg-dev wine wine64 fonts-wine unzip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

run() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "Instalando: ${missing[*]}"
    run env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Spanish locale: the tests under Wine use it (Wine takes the user's regional settings and the
# character set of file names from it).
if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
    echo "Generando la configuración regional es_ES.UTF-8"
    run localedef -i es_ES -f UTF-8 es_ES.UTF-8
fi
