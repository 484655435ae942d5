#!/usr/bin/env bash
# Checks a built Tallix package: lintian finds no error, the menu entry and the AppStream metadata
# validate, and it holds what an installation needs. Run as root, it then installs the package into
# this system with apt, starts the program from the menu entry's command on a private X display
# (as root and as the ordinary user nobody), removes it and purges it, checking that nothing of it
# is left; the package is purged again should any step fail.
# Usage: check_package.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
name=$(dpkg-deb --field "$deb" Package)
work=$(mktemp -d)
chmod 755 "$work"
installed_by_us=""
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    if [ -n "$installed_by_us" ]; then dpkg --purge "$name" >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# lintian, desktop-file-validate and appstreamcli, and the metadata's ties to the desktop entry.
check_validators() {
    local tree=$1 metainfo id launchable
    lintian --fail-on error --display-level '>=warning' "$deb" >"$work/lintian.log" 2>&1 ||
        { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
    sed 's/^/lintian: /' "$work/lintian.log"
    desktop-file-validate "$tree/usr/share/applications/$name.desktop" ||
        fail "the desktop entry does not validate"
    metainfo=("$tree"/usr/share/metainfo/*.metainfo.xml)
    [ ${#metainfo[@]} -eq 1 ] || fail "expected one AppStream metainfo file"
    appstreamcli validate --no-net "${metainfo[0]}" || fail "the AppStream metadata does not validate"
    id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}")
    [ "$(basename "${metainfo[0]}")" = "$id.metainfo.xml" ] || fail "the metainfo file is not named after $id"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "${metainfo[0]}")
    [ -f "$tree/usr/share/applications/$launchable" ] ||
        fail "the metainfo launches '$launchable', which the package lacks"
    # A new version needs its release notes in each place that names one.
    local version
    version=$(dpkg-deb --field "$deb" Version)
    version=${version%-*}
    grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "the metainfo has no release $version"
    zcat "$tree/usr/share/doc/$name/changelog.Debian.gz" | head -n 1 | grep -qF "($version-" ||
        fail "the change log does not begin with $version"
    if zgrep -L "^\.TH .* \"Tallix $version\"" "$tree"/usr/share/man/man1/*.gz | grep .; then
        fail "manual pages above name another version than $version"
    fi
}

# What an installation needs: programs, manual pages, voice sets, icon, the record as a conffile.
check_contents() {
    local tree=$1 path set
    for path in usr/bin/tallix usr/bin/tallix-archive usr/bin/tallix-picture usr/lib/tallix/tallix; do
        [ -x "$tree/$path" ] || fail "the package lacks the program /$path"
    done
    for path in tallix tallix-archive tallix-picture; do
        zcat "$tree/usr/share/man/man1/$path.1.gz" | grep -q "^\.TH ${path^^} 1 " ||
            fail "no manual page for $path in section 1"
    done
    for set in speed hispeed; do
        for path in 0 1 2 3 4 5 6 7 8 9 d r s; do
            [ -f "$tree/usr/lib/tallix/$set/$path.wav" ] || fail "the voice set $set lacks $path.wav"
        done
    done
    [ -f "$tree/usr/share/icons/hicolor/scalable/apps/tallix.svg" ] || fail "no scalable icon"
    grep -qxF "AppDir=/usr/lib/tallix" "$tree/etc/xdg/kestrow/tallix.ini" ||
        fail "the installation record does not name /usr/lib/tallix"
    dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qxF /etc/xdg/kestrow/tallix.ini ||
        fail "the installation record is not a conffile"
}

# Every library a program of the package links to directly belongs to a package it depends on.
check_dependencies() {
    local tree=$1 depends binary library path owner
    depends=" $(dpkg-deb --field "$deb" Depends | tr ',|' '  ') "
    for binary in usr/lib/tallix/tallix usr/bin/tallix-archive usr/bin/tallix-picture; do
        while read -r library; do
            path=$(ldd "$tree/$binary" | awk -v wanted="$library" '$1 == wanted { print $3 }')
            [ -n "$path" ] || fail "/$binary needs $library, which this system lacks"
            owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null || true)
            owner=${owner%%:*}
            [ -n "$owner" ] || fail "no package owns $path, which /$binary needs"
            [[ "$depends" == *" $owner "* ]] || fail "/$binary needs $library of $owner, not a dependency"
        done < <(objdump -p "$tree/$binary" | awk '$1 == "NEEDED" { print $2 }')
    done
}

check_static() {
    dpkg-deb -x "$deb" "$work/tree"
    check_validators "$work/tree"
    check_contents "$work/tree"
    check_dependencies "$work/tree"
    echo "package contents, lintian, desktop entry and AppStream metadata checked"
}

# Without -noreset the server drops a client that connects while it resets after the last one.
start_display() {
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 300); do
        [ "$(wc -l <"$work/display")" -ge 1 ] && break
        sleep 0.1
    done
    [ "$(wc -l <"$work/display")" -ge 1 ] || fail "no X display could be started"
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}

# Starts the menu entry's command as the given user with a home of its own and checks that the
# installed program's window appears and that its data goes to the XDG data folder.
start_from_menu() {
    local user=$1 home="$work/home-$1" command window="" pid runner
    command=$(sed -n 's/^Exec=//p' /usr/share/applications/"$name".desktop | sed 's/ *%[fFuUick]//g')
    mkdir -p "$home/runtime"
    chmod 700 "$home/runtime"
    chown -R "$user:" "$home"
    runuser -u "$user" -- env -u XDG_CONFIG_DIRS -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
        HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_RUNTIME_DIR="$home/runtime" DISPLAY="$DISPLAY" TALLIX_SOUND_OUTPUT=none \
        sh -c "exec $command" &
    runner=$!
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --name '^Tallix$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window appeared for $user from the menu's command '$command'"
    pid=$(xdotool getwindowpid "$window")
    [ "$(readlink "/proc/$pid/exe")" = /usr/lib/tallix/tallix ] || fail "the window is not the installed program's"
    [ "$(stat -c %U "/proc/$pid")" = "$user" ] || fail "the program does not run as $user"
    kill -TERM "$pid"
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid"
        fail "the program run by $user did not end on SIGTERM"
    fi
    wait "$runner" || fail "the program run by $user did not end cleanly"
    [ -f "$home/.local/share/Kestrow/Tallix/application.ini" ] ||
        fail "the program run by $user kept no settings in its XDG data folder"
    [ ! -e /usr/lib/tallix/Data ] || fail "the program run by $user wrote its data beside itself"
    echo "started from the menu's command as $user, data in its XDG data folder"
}

round_trip() {
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q installed; then
        fail "$name is installed on this system already; not replacing it"
    fi
    # The test changes nothing on this system but its own package, which it purges again.
    local others
    others=$(apt-get install -s "$deb" 2>&1 | sed -n 's/^Inst \([^ ]*\).*/\1/p' | grep -vx "$name" || true)
    [ -z "$others" ] || fail "installing $name would install more packages here: $others"
    installed_by_us=yes
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq "$deb" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get could not install $deb"; }
    local files
    files=$(dpkg -L "$name" | while read -r path; do [ -d "$path" ] || echo "$path"; done)
    [ -x /usr/bin/tallix-archive ] || fail "the installed package lacks /usr/bin/tallix-archive"
    man -w tallix-picture >/dev/null || fail "man does not find the installed manual pages"

    start_display
    start_from_menu root
    start_from_menu nobody

    apt-get -o DPkg::Lock::Timeout=900 remove -y -qq "$name" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log" >&2; fail "apt-get could not remove $name"; }
    local left
    left=$(while read -r path; do
        if [ -e "$path" ] && [ "${path#/etc/}" = "$path" ]; then echo "$path"; fi
    done <<<"$files")
    [ -z "$left" ] || fail "removing $name left files behind: $left"
    [ ! -e /usr/lib/tallix ] || fail "removing $name left /usr/lib/tallix behind"
    [ -f /etc/xdg/kestrow/tallix.ini ] || fail "removing $name did not keep its configuration"
    dpkg --purge "$name" >/dev/null
    installed_by_us=""
    [ ! -e /etc/xdg/kestrow ] || fail "purging $name left /etc/xdg/kestrow behind"
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'config-files\|installed'; then
        fail "dpkg still knows $name after the purge"
    fi
    echo "installed with apt, started, removed and purged without a trace"
}

check_static
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package into the system needs root"
    exit 0
fi
round_trip
