#!/bin/sh
# A branded copy signed afterwards, as a product signs it: quarnel-brand.exe
# (under wine) brands the 64-bit launcher, osslsigncode signs the copy with a
# key and certificate made for this run, the signature verifies, and the
# signed copy still runs under wine: a start through the test-double JVM,
# and a start whose INI lacks the main class.
#   signed.sh BUILD_FOLDER (the x64 build: quarnel-brand.exe, jvm.dll) SOURCE_FOLDER
# Runs inside the build's wine prefix (WINEPREFIX and DISPLAY set by ctest).
set -e
build=$1 source=$2
work=$build/brand-signed
rm -rf "$work"
mkdir -p "$work/product/jre/bin/client"
cd "$work"
fail() { echo "signed copy: $*" >&2; exit 1; }

/usr/lib/wine/wine64 "$build/quarnel-brand.exe" "Z:$source/dist/x64/quarnel.exe" "Z:$work/app.exe" \
    --icon "Z:$source/sample/hello.ico" --product-name Hello --file-version 1.0.0.0 ||
    fail "quarnel-brand.exe failed"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out certificate.pem -days 2 \
    -subj "/CN=Quarnel test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
osslsigncode sign -certs certificate.pem -key key.pem -n Hello -h sha256 -in app.exe -out signed.exe >/dev/null
osslsigncode verify -CAfile certificate.pem -in signed.exe >verify.txt 2>&1 ||
    { cat verify.txt; fail "does not verify"; }
[ "$(wc -c <signed.exe)" -gt "$(wc -c <app.exe)" ] || fail "carries no signature"

cd product
cp ../signed.exe app.exe
cp "$build/jvm.dll" jre/bin/client/jvm.dll
: >jre/bin/java.dll
printf 'class=com/example/App\nmain=out signed and running\n' >jre/bin/client/fakejvm.ini
printf '[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=jre\n' >app.ini
printf '[Class Path]\nClass Path=app.jar\n' >>app.ini
out=$(/usr/lib/wine/wine64 app.exe) || fail "a start with a runtime ended with $?"
[ "$out" = "$(printf 'signed and running\r')" ] || fail "a start with a runtime printed: $out"

printf '[Java Runtime Environment]\nJRE Path=jre\n' >app.ini
code=0
out=$(/usr/lib/wine/wine64 app.exe) || code=$?
[ "$out" = "Error: Main class was not specified in INI file. " ] || fail "a start without main class printed: $out"
[ $code -eq 255 ] || fail "a start without main class ended with $code"
echo "signed copy verifies and runs"
