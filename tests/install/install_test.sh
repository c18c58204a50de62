#!/usr/bin/env bash
# Installs a build into a fresh prefix (cmake --install --prefix) and checks it as the desktop and
# the program meet it: the layout, the desktop entry, the MIME types, the thumbnailer entry run as a
# file manager runs it, the program finding its data relative to bin/, and the program starting
# with its templates folder missing, an unreadable template, and a read-only installation.
#   install_test.sh <build folder> <folder of the stock templates the build made>
set -euo pipefail
build=$1
stock=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

# The layout.
for program in ambrelo ambrelo-thumbnailer; do
    [[ -x $prefix/bin/$program ]] || fail "bin/$program"
done
shipped=$(find "$stock" -name '*.wlt' | wc -l)
installed=$(find "$prefix/share/ambrelo/templates" -name '*.wlt' | wc -l)
[[ $shipped -ge 12 && $installed -eq $shipped ]] || fail "$installed templates installed of $shipped"
[[ -d $prefix/share/ambrelo/help ]] || fail "share/ambrelo/help"
# The sample labels find their stock template in the installation: they export.
for sample in front-label back-label; do
    "$prefix/bin/ambrelo" --export-pdf "$work/$sample.pdf" --spots 1 "$prefix/share/ambrelo/samples/$sample.wlp" ||
        fail "the installed sample $sample does not export"
done
icons=$(find "$prefix/share/icons/hicolor" -name '*.png' -exec file {} + | grep -cE '/([0-9]+)x\1/[^:]*: +PNG image data, \1 x \1,')
[[ $icons -eq 24 ]] || fail "$icons theme icons of 3 names at 8 sizes"
desktop-file-validate "$prefix/share/applications/fennbrook-ambrelo.desktop" || fail "desktop entry"
grep -qx "Exec=\"$prefix/bin/ambrelo\" %f" "$prefix/share/applications/fennbrook-ambrelo.desktop" ||
    fail "the desktop entry starts the installed program"

# The desktop learns the types from the installed MIME database and opens them with the program.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_DIRS=$prefix/share:/usr/share
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
cp "$stock/4 x 3.33 in, 6 per sheet.wlt" "$work/stock label.wlt"
[[ $(xdg-mime query filetype "$work/stock label.wlt") == application/x-vnlabeltemplate ]] || fail "MIME type"
grep -q "application/x-vnlabelproject=fennbrook-ambrelo.desktop" "$prefix/share/applications/mimeinfo.cache" ||
    fail "the program opens projects"

# The thumbnailer entry's command, with the size, the file and the output put in as a file manager does.
entry=$prefix/share/thumbnailers/fennbrook-ambrelo.thumbnailer
grep -qx "MimeType=application/x-vnlabelproject;application/x-vnlabeltemplate;" "$entry" || fail "thumbnailer types"
command=$(sed -n 's/^Exec=//p' "$entry")
command=${command//%s/256}
command=${command//%i/'"$input"'}
command=${command//%o/'"$output"'}
input="$work/stock label.wlt" output="$work/thumb nail.png"
eval "$command" || fail "thumbnailer: $command"
file "$output" | grep -q "PNG image data, 256 x " || fail "thumbnail $(file "$output")"

# The installed program finds its icons in share/ambrelo and names the installed thumbnailer.
"$prefix/bin/ambrelo" --registerfiletypes --quit || fail "--registerfiletypes"
cmp -s "$prefix/share/ambrelo/icons/ambrelo.svg" "$XDG_DATA_HOME/icons/hicolor/scalable/apps/fennbrook-ambrelo.svg" ||
    fail "the program's icon registered from share/ambrelo/icons"
grep -q "^TryExec=$prefix/bin/ambrelo-thumbnailer$" "$XDG_DATA_HOME/thumbnailers/fennbrook-ambrelo.thumbnailer" ||
    fail "the registered thumbnailer"

# Nothing in the data folder stops the program from starting.
templates=$prefix/share/ambrelo/templates
printf 'not a template' >"$templates/damaged.wlt"
cp "$templates/4 x 2 in, 10 per sheet.wlt" "$templates/unreadable.wlt"
chmod 000 "$templates/unreadable.wlt"
chmod -R a-w "$prefix"
"$prefix/bin/ambrelo" --quit || fail "start with a damaged and an unreadable template in a read-only installation"
chmod u+w "$prefix/share/ambrelo"
chmod -R u+w "$templates"
rm -rf "$templates"
"$prefix/bin/ambrelo" --quit || fail "start without a templates folder"
echo "installed and checked in $prefix"
