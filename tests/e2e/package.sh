#!/usr/bin/env bash
# The Debian package: built with cpack, installed with dpkg, started the way the installed
# launcher entry says, answering a query; zarvik-lookup answering from the installed tables,
# those of every character included; the entry's action run as it says on a selection, its
# answer a notification; its icon, metainfo, manual pages and shell completions in place;
# removed again.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_BINARY_DIR:?ZARVIK_BINARY_DIR must name the build folder}"
[ "${ZARVIK_SANITIZE:-0}" = 1 ] && e2e_skip "a sanitized build is not packaged"
command -v dpkg >/dev/null && command -v cpack >/dev/null || e2e_skip "dpkg or cpack is missing"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  e2e_skip "installing a package needs root or passwordless sudo"
fi

app_id=example.zarvik.Zarvik
entry="/usr/share/applications/$app_id.desktop"

# The package goes into the machine's own folders: runs of this test on one machine (from
# other checkouts too) take turns, or one would remove the package under another.
lock=/var/tmp/zarvik-e2e-package.lock
[ -e "$lock" ] || : >"$lock" 2>/dev/null || true
if [ -r "$lock" ]; then
  exec 9<"$lock"
  flock -w 900 9 || fail "another run of this test held the package for 15 minutes"
fi

# Another dpkg or apt run may hold the lock for a while; wait for it rather than fail.
dpkg_as_root() {
  local out
  for _ in $(seq 1200); do
    if out="$("${as_root[@]}" dpkg "$@" 2>&1)"; then
      printf '%s\n' "$out"
      return 0
    fi
    grep -q 'lock' <<<"$out" || { printf '%s\n' "$out" >&2; return 1; }
    sleep 0.1
  done
  printf '%s\n' "$out" >&2
  return 1
}

package_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' zarvik 2>/dev/null)" = installed ]
}

# A package that was there before the test belongs to someone else: it stays.
installed_before=0
package_installed && installed_before=1
remove_package() {
  [ "$installed_before" = 0 ] || return 0
  dpkg-query -W zarvik >/dev/null 2>&1 || return 0
  dpkg_as_root --purge zarvik >/dev/null
}
trap 'e2e_cleanup; remove_package' EXIT

# The key $1 of the entry's group $2 ([Desktop Entry] when not given).
entry_key() {
  awk -v key="$1" -v group="[${2:-Desktop Entry}]" '
    /^\[/ { in_group = ($0 == group); next }
    in_group && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$entry"
}

# Sets argv to the words of Exec line $1 as a launcher runs them: it drops the field codes
# (%f, %U, ...) it has nothing for, turns %% into % and splits the rest with shell-like quoting;
# and checks that the command is the package's.
exec_words() {
  local line
  line="$(sed -E 's/%[fFuUdDnNickvm]//g; s/%%/%/g' <<<"$1")"
  mapfile -d '' argv < <(xargs -r printf '%s\0' <<<"$line")
  [ "${#argv[@]}" -ge 1 ] || fail "Exec= has no command: $1"
  local program
  program="$(command -v "${argv[0]}")" || fail "Exec= names no program on PATH: ${argv[0]}"
  grep -qxF "$(readlink -f "$program")" <<<"$owned" || fail "Exec= runs $program, not the package's program"
}

note "cpack -G DEB in the build folder"
pkgdir="$E2E_TMP/package"
start=$SECONDS
(cd "$ZARVIK_BINARY_DIR" && cpack -G DEB -B "$pkgdir") >"$E2E_TMP/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$E2E_TMP/cpack.log")"
debs=("$pkgdir"/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made ${#debs[@]} packages: ${debs[*]}"
deb="${debs[0]}"
[ "$(dpkg-deb -f "$deb" Package)" = zarvik ] || fail "package name $(dpkg-deb -f "$deb" Package)"
note "built in $((SECONDS - start)) s: $(basename "$deb")"

note "dpkg -i (installed before the test: $installed_before)"
if ! dpkg_as_root -i "$deb" >"$E2E_TMP/dpkg.log" 2>&1; then
  note "dpkg -i left dependencies open: apt-get -f install"
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=120 -f install -y >>"$E2E_TMP/dpkg.log" 2>&1 ||
    fail "apt-get -f install failed: $(cat "$E2E_TMP/dpkg.log")"
fi
package_installed || fail "zarvik not installed: $(cat "$E2E_TMP/dpkg.log")"
owned="$(dpkg -L zarvik)"
grep -qxF "$entry" <<<"$owned" || fail "the package does not hold $entry"

note "zarvik-lookup in a folder without tables reads the installed ones"
lookup=/usr/bin/zarvik-lookup
grep -qxF "$lookup" <<<"$owned" || fail "the package does not hold $lookup"
mkdir "$E2E_TMP/no-tables"
answer="$(cd "$E2E_TMP/no-tables" && "$lookup" 字 2>&1)" || fail "zarvik-lookup 字 failed: $answer"
[ "$answer" = "字 jnd 十弓木" ] || fail "zarvik-lookup 字: '$answer'"
answer="$(cd "$E2E_TMP/no-tables" && "$lookup" 㗎 2>&1)" || fail "zarvik-lookup 㗎 failed: $answer"
[ "$answer" = "㗎 rkrd 口大口木" ] || fail "zarvik-lookup 㗎: '$answer'"

note "the tables of every character and the shell completions"
for file in /usr/share/zarvik/tables/cj5-utf8.m /usr/share/zarvik/tables/cj3-utf8.m \
  /usr/share/bash-completion/completions/zarvik-lookup \
  /usr/share/zsh/vendor-completions/_zarvik-lookup \
  /usr/share/fish/vendor_completions.d/zarvik-lookup.fish; do
  grep -qxF "$file" <<<"$owned" && [ -f "$file" ] || fail "the package does not hold $file"
done
completed="$(bash -c 'source /usr/share/bash-completion/completions/zarvik-lookup
  COMP_WORDS=(zarvik-lookup --qu) COMP_CWORD=1; _zarvik_lookup; echo "${COMPREPLY[*]}"')"
[ "$completed" = --quick ] || fail "bash completes --qu as '$completed'"

note "the manual pages"
for page in zarvik zarvik-lookup; do
  man_page="/usr/share/man/man1/$page.1.gz"
  grep -qxF "$man_page" <<<"$owned" && [ -f "$man_page" ] || fail "no $man_page"
  title="$(zcat "$man_page" | sed -n '/^\.TH /{s/\\-/-/g;p;q}' | cut -d' ' -f2)"
  [ "$title" = "${page^^}" ] || fail "$man_page is the page of '$title'"
done

note "the launcher entry"
[ "$(entry_key Type)" = Application ] || fail "Type=$(entry_key Type)"
exec_line="$(entry_key Exec)"
workdir="$(entry_key Path)"
[ -n "$exec_line" ] || fail "no Exec= in $entry"
[ -n "$workdir" ] && [ -f "$workdir/cj5.m" ] && [ -f "$workdir/cj3.m" ] ||
  fail "Path=$workdir does not hold both tables"
exec_words "$exec_line"

note "started as the entry says: in $workdir, ${argv[*]}"
e2e_start_display
e2e_start_command "$workdir" "${argv[@]}"
win="$(e2e_main_window 30)" || fail "no main window: $(cat "$E2E_TMP/app.log")"
if e2e_error_box 1 >/dev/null; then fail "an error box appeared"; fi
e2e_ready "$win"
answer="$(e2e_query "$win" 字)"
[ "$answer" = "字 jnd 十弓木" ] || fail "answer for 字: '$answer'"
answer="$(e2e_query "$win" 㗎)"
[ "$answer" = "㗎 rkrd 口大口木" ] || fail "answer for 㗎, which GBK cannot hold: '$answer'"
e2e_quit "$win"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC: $(cat "$E2E_TMP/app.log")"

action="Desktop Action LookUpSelection"
note "the entry's action $(entry_key Name "$action"), run as it says on a selection"
grep -qx "Actions=LookUpSelection;" "$entry" || fail "the entry names no action: $(grep Actions "$entry")"
exec_words "$(entry_key Exec "$action")"
record="$E2E_TMP/notifications"
e2e_start_notification_service "$record"
printf '字' | e2e_hold_selection primary UTF8_STRING
answer="$(cd "$E2E_TMP/no-tables" && "${argv[@]}" 2>&1)" || fail "${argv[*]} failed: $answer"
[ -z "$answer" ] || fail "${argv[*]} printed '$answer'"
grep -qF '"summary": "字", "body": "字 jnd 十弓木"' "$record" ||
  fail "${argv[*]} sent no notification of 字: $(cat "$record")"
e2e_release_selection

note "the entry's icon in the hicolor theme, each picture its size"
icon="$(entry_key Icon)"
[ "$icon" = "$app_id" ] || fail "Icon=$icon"
hicolor=/usr/share/icons/hicolor
grep -qxF "$hicolor/scalable/apps/$icon.svg" <<<"$owned" || fail "no scalable icon"
for size in 16 32 48 64 128 256; do
  png="$hicolor/${size}x$size/apps/$icon.png"
  grep -qxF "$png" <<<"$owned" && [ -f "$png" ] || fail "no $png"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x$size" ] || fail "$png is $(identify -format '%wx%h' "$png")"
done

note "the metainfo names the entry and the packaged version"
metainfo="/usr/share/metainfo/$app_id.metainfo.xml"
grep -qxF "$metainfo" <<<"$owned" && [ -f "$metainfo" ] || fail "no $metainfo"
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id: $(grep '<id>' "$metainfo")"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch $app_id.desktop"
version="$(dpkg-query -W -f='${Version}' zarvik)"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"

if [ "$installed_before" = 0 ]; then
  note "removed without a trace"
  remove_package
  ! dpkg-query -W zarvik >/dev/null 2>&1 || fail "zarvik still known to dpkg"
  while IFS= read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path left after removal"
  done <<<"$owned"
fi
echo "PASS"
