#!/bin/sh
# Installs what building and testing need, on Debian 12. Idempotent: does
# nothing when everything is there.
set -e
packages="cmake ninja-build g++ googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine64 openjdk-17-jdk-headless locales xvfb clang libclang-rt-14-dev valgrind strace
          python3-pefile osslsigncode openssl"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq $missing >/dev/null
fi
# Wine takes its ANSI code page from the Unix locale, and only from a
# generated one: the double-byte tests run under ja_JP.UTF-8 (code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
