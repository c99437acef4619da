#!/usr/bin/env bash
# The Debian package as a shop installs it: built by CPack from the build tree, its control fields
# and files, the desktop entry and AppStream data as the validators read them, and the program
# unpacked into a temporary root, run from there: --version and --help without a display, then a
# real first start on a virtual display with the executable's folder not writable, as after
# `apt install`, where the new database must land in the fresh HOME's data folder.
#
#   PackageTest.sh BUILD_DIR VERSION
#
# Exits 77 (skipped) when dpkg-deb is missing. Lintian, appstreamcli, Xvfb and xdotool are used
# when present; under CI (CI set) a missing Xvfb or xdotool fails the test instead.
set -uo pipefail

build_dir="$1"
version="$2"

if ! command -v dpkg-deb >/dev/null 2>&1; then
    echo "dpkg-deb is missing: no Debian package can be checked here"
    exit 77
fi

failures=0
fail() {
    printf 'FAIL: %s\n' "$*"
    failures=$((failures + 1))
}
ok() {
    printf 'ok: %s\n' "$*"
}
ci() {
    case "${CI:-}" in
    '' | 0 | false | no) return 1 ;;
    *) return 0 ;;
    esac
}

work="$(mktemp -d "${TMPDIR:-/tmp}/quorrel-package-test.XXXXXX")"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work" # the first start may run as another user (see below)

# --- the package -----------------------------------------------------------------------------
if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack failed"
    exit 1
fi
arch="$(dpkg --print-architecture)"
deb="$work/out/quorrel_${version}_${arch}.deb"
if [[ ! -f "$deb" ]]; then
    ls -l "$work/out"
    fail "no quorrel_${version}_${arch}.deb"
    exit 1
fi
ok "built $(basename "$deb")"

field() {
    dpkg-deb -f "$deb" "$1"
}
[[ "$(field Package)" == quorrel ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture is '$(field Architecture)'"
[[ -n "$(field Maintainer)" ]] || fail "no Maintainer"
[[ "$(field Description)" == "point of sale for small shops"* ]] || fail "Description is '$(field Description)'"
depends="$(field Depends)"
# Every library the executable links must come from a dependency dpkg-shlibdeps found: Qt's
# widgets, SQLCipher and CUPS at least, with versions; the face is named by hand.
for needed in libqt6widgets6 libqt6printsupport6 libsqlcipher libcups2 libc6 fonts-noto-cjk; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$depends" == *"("[\>=]* ]] || fail "Depends carries no versions (dpkg-shlibdeps did not run?): $depends"
[[ "$(field Recommends)" == *cups* ]] || fail "Recommends is '$(field Recommends)'"
ok "control: Depends: $depends; Recommends: $(field Recommends)"

# The files: these and no others (a test program or a build-tree file in the package fails).
expected="./usr/bin/quorrel
./usr/share/applications/org.quorrel.Quorrel.desktop
./usr/share/doc/quorrel/changelog.gz
./usr/share/doc/quorrel/copyright
./usr/share/icons/hicolor/256x256/apps/org.quorrel.Quorrel.png
./usr/share/icons/hicolor/48x48/apps/org.quorrel.Quorrel.png
./usr/share/icons/hicolor/scalable/apps/org.quorrel.Quorrel.svg
./usr/share/man/man1/quorrel.1.gz
./usr/share/metainfo/org.quorrel.Quorrel.metainfo.xml"
listing="$(dpkg-deb -c "$deb")"
files="$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)"
if [[ "$files" != "$expected" ]]; then
    fail "the package's files differ from what an installation needs:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$files")
fi
grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/quorrel$' <<<"$listing" || fail "usr/bin/quorrel is not an executable owned by root"
if awk '{print $2}' <<<"$listing" | grep -qv '^root/root$'; then
    fail "files not owned by root/root"
fi
ok "file list"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
chmod 755 "$root"
desktop="$root/usr/share/applications/org.quorrel.Quorrel.desktop"
if command -v desktop-file-validate >/dev/null 2>&1; then
    if desktop-file-validate "$desktop"; then ok "desktop-file-validate"; else fail "desktop-file-validate"; fi
else
    ci && fail "desktop-file-validate is missing under CI" || echo "desktop-file-validate missing: not checked"
fi
for entry in 'Name=Quorrel' 'Name\[zh_CN\]=Quorrel 收银' 'Categories=Office;Finance;' 'Comment=.+' 'Comment\[zh_CN\]=.+' \
    'Exec=quorrel' 'Icon=org.quorrel.Quorrel'; do
    grep -qxE "$entry" "$desktop" || fail "the desktop entry has no line $entry"
done
if command -v appstreamcli >/dev/null 2>&1; then
    if appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorrel.Quorrel.metainfo.xml"; then
        ok "appstreamcli validate"
    else
        fail "appstreamcli validate"
    fi
else
    echo "appstreamcli missing: metainfo not validated"
fi
for size in 48 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/org.quorrel.Quorrel.png"
    # The PNG header's width and height (bytes 16..23) must match the folder the icon sits in.
    dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
    [[ "$dims" == "${size}x${size}" ]] || fail "the ${size}px icon is $dims"
done
if command -v lintian >/dev/null 2>&1; then
    # Errors fail; warnings are listed (the README's packaging notes say which remain and why).
    if lintian --fail-on error --tag-display-limit 0 "$deb"; then
        ok "lintian: no errors"
    else
        fail "lintian found errors"
    fi
else
    echo "lintian missing: not run"
fi

# --- the unpacked program without a display ----------------------------------------------------
program="$root/usr/bin/quorrel"
# An X platform with no display: if the options reached QApplication the program would abort.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)
out="$("${nodisplay[@]}" timeout 20 "$program" --version 2>&1)"
status=$?
[[ $status -eq 0 && "$out" == "Quorrel $version" ]] || fail "--version: status $status, output '$out'"
out="$("${nodisplay[@]}" timeout 20 "$program" --help 2>&1)"
status=$?
if [[ $status -ne 0 || "$out" != *"Usage: quorrel"* || "$out" != *"--version"* || "$out" != *".local/share/quorrel"* ]]; then
    fail "--help: status $status, output '$out'"
fi
ok "--version and --help run from the unpacked package"

# --- the first start, installed ---------------------------------------------------------------
# As after apt install, the executable's folder is not the user's to write. root may write
# anywhere, so as root the program runs as nobody.
chmod a-w "$root/usr/bin"
run_as=()
if ((EUID == 0)); then
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
home="$work/home"
runtime="$work/runtime"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"
((EUID == 0)) && chown 65534:65534 "$home" "$runtime"

first_start() {
    if ! command -v Xvfb >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
        if ci; then
            fail "Xvfb and xdotool are needed under CI for the first start"
        else
            echo "Xvfb or xdotool missing: the first start is not checked"
        fi
        return
    fi
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    local i
    for ((i = 0; i < 100; ++i)); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    local display
    display=":$(head -n 1 "$work/display")"
    [[ "$display" != ":" ]] || {
        cat "$work/xvfb.log"
        fail "Xvfb did not start"
        return
    }
    local -a session=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8
        DISPLAY="$display" QT_QPA_PLATFORM=xcb)
    "${run_as[@]}" "${session[@]}" "$program" >"$work/program.log" 2>&1 &
    local program_pid=$!
    pids+=("$program_pid")
    xdo() {
        "${run_as[@]}" "${session[@]}" timeout 30 xdotool "$@"
    }

    # No database yet: the program asks whether to put a new one in place; Yes is the default.
    local box
    box="$(xdo search --sync --onlyvisible --name '^信息：$' | head -n 1)"
    if [[ -z "$box" ]]; then
        cat "$work/program.log"
        fail "the first start asked no question"
        return
    fi
    local data="$home/.local/share/quorrel"
    [[ -d "$data" ]] || fail "the data folder $data was not made before the question"
    xdo windowfocus --sync "$box" key Return
    for ((i = 0; i < 200; ++i)); do
        [[ -s "$data/ZoZ.mdb" ]] && break
        sleep 0.1
    done
    # "初始化成功！" follows; then the login window (or the main window for a direct login).
    box="$(xdo search --sync --onlyvisible --name '^信息：$' | head -n 1)"
    [[ -n "$box" ]] && xdo windowfocus --sync "$box" key Return
    if ! xdo search --sync --onlyvisible --name '^(登录|Quorrel)$' >/dev/null; then
        cat "$work/program.log"
        fail "no login window after the new database was put in place"
    fi
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended after its first start"

    if [[ -s "$data/ZoZ.mdb" ]]; then
        # SQLCipher leaves no plain SQLite header.
        if [[ "$(head -c 15 "$data/ZoZ.mdb" | tr -d '\0')" == "SQLite format 3" ]]; then
            fail "$data/ZoZ.mdb is not encrypted"
        else
            ok "the first start put the database in the user's data folder: ${data#"$work"/}/ZoZ.mdb"
        fi
        if ((EUID == 0)) && [[ "$(stat -c %u "$data/ZoZ.mdb")" != 65534 ]]; then
            fail "ZoZ.mdb does not belong to the user who started the program"
        fi
    else
        fail "no ZoZ.mdb in $data; the home holds: $(cd "$home" && find . | tr '\n' ' ')"
    fi
    [[ ! -e "$root/usr/bin/ZoZ.mdb" ]] || fail "a database was written beside the installed executable"
}
first_start

if ((failures > 0)); then
    printf '%d check(s) failed\n' "$failures"
    exit 1
fi
echo "all package checks passed"
