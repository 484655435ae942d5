#!/usr/bin/env bash
# Installs the built program into a temporary prefix and starts the installed copy, as a user
# would from the desktop, with XDG folders of its own: the voice sets lie beside the installed
# executable, the program runs from there, and its data goes to the XDG data folder, not beside
# the program, even though this test may write there. The prefix is reached through a symbolic
# link, as a prefix in a linked home folder is: the program must still know itself installed.
# Usage: install_into_prefix.sh <cmake> <build folder>
set -euo pipefail
cmake_command=$1
build=$2

work=$(mktemp -d)
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "$*" >&2
    exit 1
}

mkdir "$work/real-prefix"
ln -s "$work/real-prefix" "$work/prefix"
prefix="$work/prefix"
"$cmake_command" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; }

record="$prefix/etc/xdg/kestrow/tallix.ini"
[ -f "$record" ] || fail "no installation record at $record"
app_dir=$(sed -n 's/^AppDir=//p' "$record")
case "$app_dir" in
"$prefix"/*) ;;
*) fail "the installation record names '$app_dir', not a folder of $prefix" ;;
esac
[ -x "$app_dir/tallix" ] || fail "no program in the recorded folder $app_dir"
for set in speed hispeed; do
    for name in 0 1 2 3 4 5 6 7 8 9 d r s; do
        [ -f "$app_dir/$set/$name.wav" ] || fail "$set/$name.wav is missing beside the program"
    done
done
echo "program and voice sets in $app_dir"

launcher="$prefix/bin/tallix"
[ -x "$launcher" ] || fail "no launcher at $launcher"
entry="$prefix/share/applications/tallix.desktop"
[ -f "$entry" ] || fail "no desktop entry at $entry"
for line in "Type=Application" "Name=Tallix" "Exec=$launcher" "Icon=tallix" \
    "Categories=Office;Utility;"; do
    grep -qxF "$line" "$entry" || fail "the desktop entry lacks '$line'"
done
for key in 'Name\[ja\]' 'Comment' 'Comment\[ja\]'; do
    grep -q "^$key=." "$entry" || fail "the desktop entry lacks $key"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the desktop entry does not validate"
fi
for size in 16 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tallix.png"
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "icon $icon is not ${size}x${size}"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/tallix.svg" ] || fail "no scalable icon"
echo "launcher, desktop entry and icons in place"

# A user's session: nothing of the installation's configuration folder is listed.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export XDG_CONFIG_DIRS="$work/etc-xdg" QT_QPA_PLATFORM=offscreen
unset TALLIX_EXE_FILE
mkdir -p "$HOME" "$XDG_CONFIG_DIRS"
data="$XDG_DATA_HOME/Kestrow/Tallix"

"$launcher" &
program_pid=$!
for _ in $(seq 100); do
    [ -d "$data" ] && break
    sleep 0.1
done
[ -d "$data" ] || fail "the installed program made no data folder at $data"
running=$(readlink "/proc/$program_pid/exe")
[ "$running" = "$(readlink -f "$app_dir/tallix")" ] || fail "the launcher runs '$running', not $app_dir/tallix"
sleep 0.5
kill -TERM "$program_pid"
wait "$program_pid" || fail "the installed program did not end cleanly"
program_pid=""

[ -f "$data/application.ini" ] || fail "no settings written to $data"
[ ! -e "$app_dir/Data" ] || fail "the installed program wrote its data beside itself"
echo "the installed program keeps its data in $data"
