#!/usr/bin/env bash
# Builds the Debian package from the Release build (build/release) with cpack and checks it: the
# files it installs (dpkg-deb -c), the desktop entry inside it, its dependencies, and that apt
# finds everything it depends on (a simulated install). ./test.sh runs it after the tests.
#   ./scripts/package.sh   ->   build/release/ambrelo_<version>_<architecture>.deb
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
fail() { echo "package.sh: $*" >&2; exit 1; }

./scripts/install-deps.sh
if [[ ! -f build/release/build.ninja ]]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBRELO_TESTS=OFF
fi
cmake --build build/release
rm -f build/release/ambrelo_*.deb
(cd build/release && cpack -G DEB >cpack.log 2>&1) || { cat build/release/cpack.log; fail "cpack failed"; }
deb=$(ls build/release/ambrelo_*.deb)

contents=$(dpkg-deb -c "$deb" | awk '{ print substr($0, index($0, "./")) }')
expect=(./usr/bin/ambrelo ./usr/bin/ambrelo-thumbnailer ./usr/share/ambrelo/icons/ambrelo.svg
        ./usr/share/ambrelo/help/ ./usr/share/applications/fennbrook-ambrelo.desktop
        ./usr/share/ambrelo/samples/front-label.wlp ./usr/share/ambrelo/samples/back-label.wlp
        ./usr/share/mime/packages/fennbrook-ambrelo.xml ./usr/share/thumbnailers/fennbrook-ambrelo.thumbnailer
        ./usr/share/icons/hicolor/scalable/apps/fennbrook-ambrelo.svg)
for size in 16 22 24 32 48 64 128 256; do
    for name in apps/fennbrook-ambrelo mimetypes/application-x-vnlabelproject mimetypes/application-x-vnlabeltemplate; do
        expect+=("./usr/share/icons/hicolor/${size}x${size}/$name.png")
    done
done
for path in "${expect[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
done
templates=$(grep -c '^\./usr/share/ambrelo/templates/.*\.wlt$' <<<"$contents" || true)
[[ $templates -ge 12 ]] || fail "$deb holds $templates stock templates"
# The caches belong to the system's triggers, and nothing lies outside /usr.
if grep -vE '^\./(usr/.*)?$' <<<"$contents" | grep -q . || grep -qE 'mime\.cache|icon-theme\.cache|mimeinfo\.cache' <<<"$contents"; then
    fail "$deb holds files that are not its own"
fi

desktop=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/fennbrook-ambrelo.desktop)
grep -qx 'Exec="/usr/bin/ambrelo" %f' <<<"$desktop" || fail "the desktop entry does not start /usr/bin/ambrelo"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 libdeflate0 libzint2.11 qt6-qpa-plugins fonts-liberation fonts-ocr-b; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
apt-get install --simulate --no-install-recommends "./$deb" >build/release/apt-simulate.log 2>&1 ||
    { cat build/release/apt-simulate.log; fail "apt could not install $deb"; }
echo "$deb: $(wc -l <<<"$contents") entries; Depends: $depends"
