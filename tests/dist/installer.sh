#!/usr/bin/env bash
# The installer in a fresh prefix, as a user runs it.
#  1. Silent, into a folder given with /D= (a name with a space), with /ASSOCIATE:
#     every file of the package and the uninstaller land there, the Start-menu
#     entries and the association keys are where Windows looks, .zip and .rar are
#     left alone, and a double-click's way (ShellExecute on the .cbz, through the
#     registered open command) opens the sample book; the settings go to the
#     user's profile. The silent uninstall then leaves the registry and the drive
#     as they were, except the settings file, which stays; a default that another
#     program had for .cbr is given back.
#  2. Through its pages with the defaults, a screenshot of each; the silent
#     uninstall with /REMOVESETTINGS leaves nothing, settings included.
#   installer.sh SETUP_EXE SAMPLE_CBZ WORKDIR
set -euo pipefail
setup=$1
sample=$2
work=$3
source "$(dirname "$0")/dist_lib.sh"
version=$(basename "$setup" | sed -n 's/^Pagewick-\(.*\)-win64-setup\.exe$/\1/p')

rm -rf "$work"
mkdir -p "$work/My Books" "$work/shots"
cp "$sample" "$work/My Books/Sample.cbz"
cp "$setup" "$work/setup.exe"
stage=$(dirname "$setup")/Pagewick-$version-win64
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pagewick'
roam=$(roaming)
rm -rf "$roam/Pagewick"

# reg_get KEY [VALUE]: the value's data (the default value without VALUE);
# fails when the key or value does not exist.
reg_get() {
    local out
    if [ $# -gt 1 ]; then
        out=$(wine reg query "$1" /v "$2" 2>/dev/null) || return 1
    else
        out=$(wine reg query "$1" /ve 2>/dev/null) || return 1
    fi
    out=$(tr -d '\r' <<<"$out" | grep -E '^ +[^ ].* REG_[A-Z_]+' | head -1) || return 1
    out=$(sed -E 's/^ +.*REG_[A-Z_]+ {4}//; s/^ +.*REG_[A-Z_]+$//' <<<"$out")
    # A key whose default value was never set.
    [ "$out" != "(value not set)" ] || return 1
    echo "$out"
}
# snapshot NAME: the machine's and the user's registry (without Wine's own keys,
# which change as programs run) and the drive's files (outside the Windows folder
# and temporary folders).
snapshot() {
    local hive
    for hive in HKLM HKCU; do
        wine reg export "$hive\\Software" "$(winpath "$work/$1-$hive.reg")" /y >/dev/null 2>&1
        iconv -f UTF-16 -t UTF-8 "$work/$1-$hive.reg" | tr -d '\r' |
            awk '/^\[/ { wine = index($0, "\\Software\\Wine\\") > 0 || $0 ~ /\\Software\\Wine\]$/ } !wine' >"$work/$1-$hive.txt"
        rm "$work/$1-$hive.reg"
    done
    (cd "$drive_c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | sort) >"$work/$1-files.txt"
}
# compare BEFORE AFTER [ALLOWED_FILE_LINES]: the registries equal, the file lists
# equal but for the lines given (a diff's "> ./path" lines).
compare() {
    local hive difference
    for hive in HKLM HKCU; do
        if difference=$(diff "$work/$1-$hive.txt" "$work/$2-$hive.txt"); then
            ok "$hive\\Software after the uninstall as before the install"
        else
            fail "$hive\\Software differs after the uninstall:"$'\n'"$(head -20 <<<"$difference")"
        fi
    done
    difference=$(diff "$work/$1-files.txt" "$work/$2-files.txt" | grep '^[<>]' || true)
    if [ "$difference" = "${3:-}" ]; then
        ok "the drive after the uninstall as before the install${3:+ (but the settings)}"
    else
        fail "the drive differs after the uninstall:"$'\n'"$difference"
    fi
}
# wait_uninstalled FOLDER: the uninstaller runs from a copy of itself and returns
# at once; done when the folder and the Add/Remove Programs entry are gone.
wait_uninstalled() {
    local i
    for i in $(seq 1 300); do
        if [ ! -e "$1" ] && ! wine reg query "$uninst" >/dev/null 2>&1; then
            sleep 1
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Another program owns .cbr before the installation; it must get it back.
wine reg add 'HKLM\Software\Classes\.cbr' /ve /d OtherReader.cbr /f >/dev/null 2>&1
snapshot before

## 1. Silent
start=$SECONDS
wine cmd /c "$(winpath "$work/setup.exe") /S /ASSOCIATE /D=C:\\Pagewick Reader" >"$work/setup.log" 2>&1 ||
    fail "the silent install ended with failure"
dir='C:\Pagewick Reader'
app=$(unixpath "$dir")
echo "silent install: $((SECONDS - start)) s"
missing=$(cd "$stage" && find . -type f | while read -r f; do [ -f "$app/$f" ] || echo "$f"; done)
[ -z "$missing" ] && [ -f "$app/Uninstall.exe" ] && ok "every file of the package installed into $dir" ||
    fail "not installed into $dir: $missing"
[ -e "$app/Pagewick.ini" ] && fail "the installer put a settings file beside the program"
bash "$root/scripts/check-imports.sh" --shipped "$app" >"$work/imports.log" 2>&1 &&
    ok "the installed binaries import only what Windows ships" || fail "installed imports: $(cat "$work/imports.log")"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pagewick"
[ -f "$menu/Pagewick.lnk" ] && [ -f "$menu/Uninstall Pagewick.lnk" ] && ok "Start-menu entries" ||
    fail "Start-menu entries missing: $(ls "$menu" 2>&1)"

command="\"$dir\\Pagewick.exe\" \"%1\""
# key | value ('' for the default) | data wanted ('*' any)
checks=(
    'HKCR\.cbz||Pagewick.cbz'
    'HKCR\.cbr||Pagewick.cbr'
    'HKCR\.cbt||Pagewick.cbt'
    'HKCR\.cbz\OpenWithProgids|Pagewick.cbz|'
    'HKCR\.cbr\OpenWithProgids|Pagewick.cbr|'
    'HKCR\.cbt\OpenWithProgids|Pagewick.cbt|'
    "HKCR\\Pagewick.cbz\\shell\\open\\command||$command"
    "HKCR\\Pagewick.cbr\\shell\\open\\command||$command"
    "HKCR\\Pagewick.cbt\\shell\\open\\command||$command"
    "HKCR\\Pagewick.cbz\\DefaultIcon||$dir\\Pagewick.exe,0"
    "HKCR\\Applications\\Pagewick.exe\\shell\\open\\command||$command"
    'HKCR\Applications\Pagewick.exe\SupportedTypes|.cbz|'
    "HKCR\\Directory\\shell\\Pagewick\\command||$command"
    'HKCR\Directory\shell\Pagewick||Open with Pagewick'
    'HKLM\Software\RegisteredApplications|Pagewick|Software\Pagewick\Capabilities'
    'HKLM\Software\Pagewick\Capabilities\FileAssociations|.cbt|Pagewick.cbt'
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pagewick.exe||$dir\\Pagewick.exe"
    "$uninst|DisplayName|Pagewick"
    "$uninst|DisplayVersion|$version"
    "$uninst|InstallLocation|$dir"
    "$uninst|UninstallString|\"$dir\\Uninstall.exe\""
    "$uninst|QuietUninstallString|\"$dir\\Uninstall.exe\" /S"
    "$uninst|EstimatedSize|*"
)
for row in "${checks[@]}"; do
    IFS='|' read -r key value want <<<"$row"
    if [ -n "$value" ]; then got=$(reg_get "$key" "$value") || got='(none)'; else got=$(reg_get "$key") || got='(none)'; fi
    if [ "$got" = "$want" ] || { [ "$want" = '*' ] && [ "$got" != '(none)' ]; }; then
        ok "$key ${value:-(default)}"
    else
        fail "$key ${value:-(default)}: '$got', wanted '$want'"
    fi
done
for ext in .zip .rar; do
    if wine reg query "HKCR\\$ext" /s 2>/dev/null | grep -qi pagewick; then
        fail "$ext was touched: $(wine reg query "HKCR\\$ext" /s)"
    else
        ok "$ext left alone"
    fi
done

# A double-click: the shell's own way from the file to the program.
start=$SECONDS
wine start /wait "$(winpath "$work/My Books/Sample.cbz")" >"$work/start.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
if window=$(pw_wait_main_window "$pid" 120); then
    if pw_wait_title_end "$window" "Sample.cbz" 60; then
        ok "the registered open command opened the sample book ($((SECONDS - start)) s)"
        # A first start shows the notice; it is ticked off and closed before Esc.
        pw_dismiss_notice "$pid" 60 && ok "the first start showed the notice at start" ||
            fail "no notice at the first start, or it did not close"
    else
        fail "the sample book did not open (title: $(xdotool getwindowname "$window"))"
    fi
    sleep 1
    import -window "$window" "$work/shots/opened.png" 2>/dev/null || true
    close_program "$pid" "$window"
else
    fail "no window after opening the .cbz through its association"
fi
trap - EXIT
[ -s "$roam/Pagewick/Pagewick.ini" ] && ok "the installed program keeps its settings in the user's profile" ||
    fail "no settings file in $roam/Pagewick"

wine "$dir\\Uninstall.exe" /S >/dev/null 2>&1 || fail "the silent uninstall ended with failure"
wait_uninstalled "$app" || fail "the uninstaller did not finish within a minute"
got=$(reg_get 'HKCR\.cbr') || got='(none)'
[ "$got" = OtherReader.cbr ] && ok ".cbr given back to the program it belonged to" || fail ".cbr after the uninstall: $got"
snapshot silent
compare before silent "> ./users/$(basename "$(dirname "$(dirname "$roam")")")/AppData/Roaming/Pagewick
> ./users/$(basename "$(dirname "$(dirname "$roam")")")/AppData/Roaming/Pagewick/Pagewick.ini"

## 2. Through the pages, each captured
# The installer's visible window: the largest of its X class or titles.
installer_window() {
    local w geometry best="" area=0 size
    for w in $({
        timeout 5 xdotool search --onlyvisible --classname '^setup\.exe$'
        timeout 5 xdotool search --onlyvisible --name '^(Installer Language|Pagewick .* Setup)$'
    } 2>/dev/null | sort -u); do
        geometry=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
        size=$(($(sed -n 's/^WIDTH=//p' <<<"$geometry") * $(sed -n 's/^HEIGHT=//p' <<<"$geometry")))
        [ "$size" -gt "$area" ] && { best=$w; area=$size; }
    done
    [ "$area" -ge 10000 ] && echo "$best"
}
# crop WINDOW [HEIGHT]: import's crop of the window's part of the screen (its
# top HEIGHT rows when given).
crop() {
    local g
    g=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
    echo "$(sed -n 's/^WIDTH=//p' <<<"$g")x${2:-$(sed -n 's/^HEIGHT=//p' <<<"$g")}+$(sed -n 's/^X=//p' <<<"$g")+$(sed -n 's/^Y=//p' <<<"$g")"
}
# page_state: what changes when a page is left: the installer's window, or the
# heading at the top of it (which names the page; a blinking caret lower down
# must not count).
page_state() {
    local w geometry
    w=$(installer_window) || true
    [ -n "$w" ] || { echo none; return; }
    geometry=$(crop "$w" 80) || { echo none; return; }
    echo "$w $(timeout 10 import -window root -crop "$geometry" rgb:- 2>/dev/null | md5sum | cut -c1-32)"
}
# page NAME: waits for the installer's window, captures it and presses Enter
# until the page is left (a key can be lost while the window takes the focus).
page() {
    local w="" i try state
    for i in $(seq 1 150); do
        w=$(installer_window) && [ -n "$w" ] && break
        sleep 0.2
    done
    if [ -z "$w" ]; then
        # The captures are for the eye; what the pages do is checked after.
        echo "warning: no installer window for the $1 page; visible windows:"
        for w in $(timeout 5 xdotool search --onlyvisible --name . 2>/dev/null); do
            echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)' $(xprop -id "$w" WM_CLASS 2>/dev/null)"
        done
        return 1
    fi
    sleep 1.5
    timeout 10 import -window root -crop "$(crop "$w")" +repage "$work/shots/$1.png" 2>>"$work/import.log" &&
        ok "page captured: $1" || echo "warning: no capture of $1"
    state=$(page_state)
    for try in 1 2 3; do
        timeout 5 xdotool windowactivate --sync "$w" 2>/dev/null || timeout 5 xdotool windowfocus --sync "$w" 2>/dev/null || true
        timeout 5 xdotool key --window "$w" Return 2>/dev/null || timeout 5 xdotool key Return || true
        for i in $(seq 1 25); do
            sleep 0.2
            [ "$(page_state)" != "$state" ] && { sleep 1; return 0; }
        done
    done
    echo "warning: Enter did not visibly leave the $1 page"
    return 1
}
wine "$work/setup.exe" >"$work/setup-pages.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
for name in 1-language 2-folder 3-components; do page "$name" || break; done
sleep 2
page 4-finished || true
echo "installer pages captured: $(find "$work/shots" -name '[0-9]-*.png' | wc -l) of 4"
if wait_gone "$pid" 30; then
    ok "the installer ended at its last page"
else
    fail "the installer did not end"
    kill "$pid" 2>/dev/null || true
fi
trap - EXIT
dir='C:\Program Files\Pagewick'
app=$(unixpath "$dir")
[ -f "$app/Pagewick.exe" ] && ok "installed into $dir" || fail "nothing in $dir"
got=$(reg_get 'HKCR\.cbz') || got='(none)'
[ "$got" = '(none)' ] && ok "no default for .cbz unless ticked" || fail ".cbz default without the tick: $got"
got=$(reg_get 'HKCR\.cbz\OpenWithProgids' Pagewick.cbz) && ok "in .cbz's Open with" || fail "not in .cbz's Open with"

wine "$dir\\Uninstall.exe" /S /REMOVESETTINGS >/dev/null 2>&1 || fail "the silent uninstall ended with failure"
wait_uninstalled "$app" || fail "the uninstaller did not finish within a minute"
snapshot pages
compare before pages
echo "screenshots: $work/shots"
[ "$failures" -eq 0 ]
