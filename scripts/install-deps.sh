#!/usr/bin/env bash
# Installs the Debian packages that a make target needs, by group; works as root, or through sudo
# for a normal user, and does nothing when everything is there already.
#   scripts/install-deps.sh [demo] [build] [windows] [test]      (no group: all of them)
#   demo     the command-line tool and the sample school's export with its schema check
#   build    the Linux programs (educa-export) and the tests
#   windows  the 32-bit Windows programs (mingw-w64 for i686) and Wine's 32-bit half to test them
#   test     everything make test runs: build, windows, the sanitizers, fuzzers and X tests
set -euo pipefail

demo=(build-essential cmake pkg-config libfmt-dev python3 libxml2-utils)
build=(
    "${demo[@]}"
    libgtest-dev libgmock-dev libpugixml-dev python3-dbf python3-dbfread python3-lxml
    libchm-dev fp-utils
)
windows=(
    "${demo[@]}" fp-utils
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
    googletest dpkg-dev unzip locales
    # The window's heading and button fonts under Wine, where Windows' own are missing.
    fonts-dejavu-core fonts-liberation2
)
# Wine, installed apart from the rest: its 32-bit half comes from the i386 architecture.
wine_packages=(wine wine64 wine32:i386 fonts-wine)
test=(
    "${build[@]}" "${windows[@]}"
    clang clang-format libclang-rt-14-dev
    xvfb xdotool x11-utils xclip imagemagick
    locales
)

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(test)
wanted=()
want_wine=0
want_locale=0
for group in "${groups[@]}"; do
    case $group in
        demo) wanted+=("${demo[@]}") ;;
        build) wanted+=("${build[@]}") ;;
        windows) wanted+=("${windows[@]}"); want_wine=1; want_locale=1 ;;
        test) wanted+=("${test[@]}"); want_wine=1; want_locale=1 ;;
        *) echo "install-deps.sh: grupo desconocido «$group» (demo, build, windows, test)" >&2; exit 2 ;;
    esac
done

run() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}
apt() {
    run env DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends "$@"
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# An index that the registry serves while it is being synchronised ("File has unexpected size ...
# Mirror sync in progress?") makes apt-get update fail although every other index is fresh: it is
# asked once more after a pause, and then the install goes on with the lists there are.
updated=0
update() {
    [ "$updated" -eq 0 ] || return 0
    updated=1
    for attempt in 1 2; do
        if run env DEBIAN_FRONTEND=noninteractive apt-get update -qq; then
            return 0
        fi
        [ "$attempt" -eq 2 ] || sleep 15
    done
    echo "Aviso: apt-get update no pudo leer todos los índices; se instala con los que hay" >&2
}

missing=()
for p in "${wanted[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
    echo "Instalando: ${missing[*]}"
    update
    apt install "${missing[@]}"
fi

# Wine's 32-bit half. Its i386 libraries must have exactly the versions of their amd64 twins, and the
# registry's i386 index of the security suite can lag behind the amd64 one. So: first as it comes;
# then from the release's own suite (-t); then with every amd64 library of wine32's dependencies
# that has no i386 twin of its version taken to the newest version that both indexes offer, together
# with the installed packages of the same source at the same version (a -dev package that needs
# exactly that version), and nothing removed on the way.
newest() {
    local best="" version
    while read -r version; do
        if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then
            best=$version
        fi
    done
    echo "$best"
}
# Prints "PACKAGE:ARCH=VERSION" for each package to be taken to another version. Two look-ups in all:
# the installed packages, and the registry's versions of every candidate in both architectures.
twins_of_wine32() {
    local closure installed offered base amd64_version common source name version from
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances wine32:i386 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
    installed=$(dpkg-query -W -f='${Package} ${Architecture} ${Version} ${Multi-Arch} ${source:Package}\n' 2>/dev/null)
    local candidates=()
    while read -r base; do
        candidates+=("$base")
    done < <(awk '$2 == "amd64" && $4 == "same" {print $1}' <<<"$installed" | sort -u | comm -12 - <(echo "$closure"))
    [ ${#candidates[@]} -gt 0 ] || return 0
    # "PACKAGE ARCH VERSION" for every version the registry offers.
    offered=$(apt-cache madison "${candidates[@]/%/:i386}" "${candidates[@]/%/:amd64}" 2>/dev/null |
        awk -F'|' '{name = $1; gsub(/ /, "", name); sub(/:.*/, "", name); version = $2; gsub(/ /, "", version)
            n = split($3, words, " "); print name, words[n - 1], version}')
    for base in "${candidates[@]}"; do
        amd64_version=$(awk -v p="$base" '$1 == p && $2 == "amd64" {print $3}' <<<"$installed")
        awk -v p="$base" -v v="$amd64_version" '$1 == p && $2 == "i386" && $3 == v {found = 1} END {exit !found}' \
            <<<"$offered" && continue
        common=$(awk -v p="$base" '$1 == p {seen[$3] = seen[$3] " " $2} END {for (v in seen)
            if (seen[v] ~ /amd64/ && seen[v] ~ /i386/) print v}' <<<"$offered" | newest)
        [ -n "$common" ] || continue
        echo "$base:amd64=$common"
        echo "$base:i386=$common"
        # Installed packages built from the same source at the same version: a -dev package that
        # needs exactly that version goes along (taken there only if the registry has it).
        source=$(awk -v p="$base" '$1 == p && $2 == "amd64" {print $5}' <<<"$installed")
        while read -r name from version; do
            if apt-cache madison "$name" 2>/dev/null | awk -F'|' '{gsub(/ /, "", $2); print $2}' | grep -qxF "$common"; then
                echo "$name=$common"
            fi
        done < <(awk -v s="$source" -v v="$amd64_version" -v p="$base" \
            '$5 == s && $3 == v && $1 != p && $2 != "i386" {print $1 ":" $2, $5, $3}' <<<"$installed")
    done | sort -u
}

if [ "$want_wine" -eq 1 ]; then
    wine_missing=()
    for p in "${wine_packages[@]}"; do
        installed "$p" || wine_missing+=("$p")
    done
    if [ ${#wine_missing[@]} -gt 0 ]; then
        echo "Instalando Wine: ${wine_missing[*]}"
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            run dpkg --add-architecture i386
            updated=0
        fi
        update
        release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
        if apt install "${wine_missing[@]}" 2>/dev/null; then
            :
        elif [ -n "$release" ] && apt install -t "$release" "${wine_missing[@]}" 2>/dev/null; then
            echo "Wine instalado desde $release (el índice i386 de las actualizaciones va por detrás)"
        else
            mapfile -t twins < <(twins_of_wine32)
            echo "Igualando las versiones amd64 e i386 de: ${twins[*]:-(ninguna)}"
            apt install ${release:+-t "$release"} --allow-downgrades --no-remove "${wine_missing[@]}" "${twins[@]}"
        fi
    fi
fi

# The Spanish locale: the tests under Wine use it (Wine takes the user's regional settings and the
# character set of file names from it).
if [ "$want_locale" -eq 1 ] && ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
    echo "Generando la configuración regional es_ES.UTF-8"
    run localedef -i es_ES -f UTF-8 es_ES.UTF-8
fi
