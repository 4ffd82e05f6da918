#!/usr/bin/env bash
# Builds the Debian package from the build folder $1 into a temporary folder and checks what it
# holds: exactly the install layout, the launcher link, the declared dependencies, and a desktop
# entry and metainfo that the validators accept.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/lexitor-trainer_*.deb)
fail() { echo "FAIL: $*"; exit 1; }
# (No grep -q after a pipe: under pipefail, the writer's broken pipe would fail the check.)

# Every path, links shown with their target.
dpkg-deb -c "$deb" | awk '{ p = $6; sub(/^\./, "", p); sub(/\/$/, "", p);
  if ($7 == "->") p = p " -> " $8; if (p != "") print p }' | sort >"$work/actual"
cat >"$work/expected" <<'LIST'
/usr
/usr/bin
/usr/bin/lexitor-trainer -> ../lib/lexitor-trainer/lexitor-trainer
/usr/bin/lexitor-drill
/usr/bin/lexitor-words
/usr/lib
/usr/lib/lexitor-trainer
/usr/lib/lexitor-trainer/HAND-M.CUR
/usr/lib/lexitor-trainer/dbWords.mdb
/usr/lib/lexitor-trainer/lexitor-trainer
/usr/lib/lexitor-trainer/liblexitor-progress.so
/usr/lib/lexitor-trainer/liblexitor-sound.so
/usr/lib/lexitor-trainer/sounds
/usr/lib/lexitor-trainer/sounds/correct.wav
/usr/lib/lexitor-trainer/sounds/wrong.wav
/usr/share
/usr/share/applications
/usr/share/applications/example.quenmark.LexitorTrainer.desktop
/usr/share/doc
/usr/share/doc/lexitor-trainer
/usr/share/doc/lexitor-trainer/copyright
/usr/share/icons
/usr/share/icons/hicolor
/usr/share/icons/hicolor/128x128
/usr/share/icons/hicolor/128x128/apps
/usr/share/icons/hicolor/128x128/apps/lexitor-trainer.png
/usr/share/icons/hicolor/256x256
/usr/share/icons/hicolor/256x256/apps
/usr/share/icons/hicolor/256x256/apps/lexitor-trainer.png
/usr/share/icons/hicolor/32x32
/usr/share/icons/hicolor/32x32/apps
/usr/share/icons/hicolor/32x32/apps/lexitor-trainer.png
/usr/share/icons/hicolor/48x48
/usr/share/icons/hicolor/48x48/apps
/usr/share/icons/hicolor/48x48/apps/lexitor-trainer.png
/usr/share/metainfo
/usr/share/metainfo/example.quenmark.LexitorTrainer.metainfo.xml
LIST
sort -o "$work/expected" "$work/expected"
diff -u "$work/expected" "$work/actual" || fail "package contents differ (- expected, + actual)"

[ "$(dpkg-deb -f "$deb" Package)" = lexitor-trainer ] || fail "package name"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Section)" ] || fail "no section"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6sql6-sqlite qt6-qpa-plugins fonts-liberation libqt6widgets6 libpulse0 \
  libqt6sql6 libqt6charts6; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml ||
  fail "metainfo"
grep -qx "Exec=lexitor-trainer" "$work"/root/usr/share/applications/*.desktop ||
  fail "the desktop entry does not start the launcher"
file -L "$work/root/usr/lib/lexitor-trainer/lexitor-trainer" | grep ELF >/dev/null || fail "executable"
# The sound player is loaded on the first cue, not at start-up.
module="$work/root/usr/lib/lexitor-trainer/liblexitor-sound.so"
file "$module" | grep "ELF.*shared object" >/dev/null || fail "sound module"
objdump -T "$module" | grep -w lexitorCreateSoundPlayer >/dev/null || fail "the sound module lacks its factory"
if objdump -p "$work/root/usr/lib/lexitor-trainer/lexitor-trainer" | grep -i "NEEDED.*pulse"; then
  fail "the executable links the sound libraries"
fi
# The progress window's charts load when it opens, not at start-up.
progress="$work/root/usr/lib/lexitor-trainer/liblexitor-progress.so"
objdump -T "$progress" | grep -w lexitorCreateProgressView >/dev/null || fail "the progress module lacks its factory"
if objdump -p "$work/root/usr/lib/lexitor-trainer/lexitor-trainer" | grep -i "NEEDED.*charts"; then
  fail "the executable links Qt Charts"
fi
echo "package ok: $(basename "$deb")"
