#!/usr/bin/env bash
# Installs the Debian packages Tomaro needs to build, test and run, when they are missing.
# As root it installs them; otherwise it prints the exact apt-get line and fails.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git clang clang-format locales
    libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev nlohmann-json3-dev
    libclang-rt-14-dev libfuzzer-14-dev
    qt6-base-dev qt6-serialport-dev qt6-translations-l10n qt6-l10n-tools qt6-tools-dev libqt6svg6 libgl-dev fonts-liberation
    portaudio19-dev pulseaudio pulseaudio-utils libasound2-plugins
    libsndfile1-dev libeigen3-dev libsqlite3-dev
    dpkg-dev file desktop-file-utils appstream groff-base lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Tomaro needs these Debian packages. Install them with:" >&2
    echo "    sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
