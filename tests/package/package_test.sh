#!/usr/bin/env bash
# Checks what a user gets: the Linux install tree and its manual page, the
# .deb, and the Windows .zip. Run from the top of the tree after the packages
# are made (scripts/test-packages.sh does both):
#   tests/package/package_test.sh [build/packages]
# Each test runs on its own and says what is wrong; the last line counts them.
set -uo pipefail

packages=$(cd "${1:-build/packages}" && pwd) || exit 1
linux_build=$PWD/build/linux
windows_build=$PWD/build/windows
windows64_build=$PWD/build/windows64
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "$*" >&2
  exit 1
}

# The version CMake took from project(... VERSION ...).
project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}
version=$(project_version "$linux_build")
deb="$packages/tornvale_${version}_$(dpkg --print-architecture).deb"
zip="$packages/Tornvale-${version}-windows.zip"

# Rendered page as one line of single blanks, so that line breaks and
# justification do not matter.
rendered_page() {
  MANWIDTH=80 man -l "$1" 2>/dev/null | tr -s ' \n' '  '
}

# The section of a rendered page from its heading to the next heading.
page_section() {
  MANWIDTH=80 man -l "$1" 2>/dev/null | sed -n "/^$2\$/,/^[A-Z]/p" | sed '1d;$d'
}

# A PE file's machine field: the 16-bit value after "PE\0\0", whose offset
# sits at 0x3c.
pe_machine() {
  [ "$(head -c 2 "$1")" = MZ ] || fail "$1: no MZ header"
  local at
  at=$(od -An -tu4 --endian=little -j 60 -N 4 "$1" | tr -d ' ')
  [ "$(od -An -c -j "$at" -N 4 "$1" | tr -d ' ')" = 'PE\0\0' ] || fail "$1: no PE signature"
  printf '0x%x\n' "$(od -An -tu2 --endian=little -j $((at + 4)) -N 2 "$1" | tr -d ' ')"
}

test_install_puts_program_and_page_in_place() {
  local prefix="$scratch/prefix"
  cmake --install "$linux_build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
  local files
  files=$(cd "$prefix" && find . -type f | sort)
  [ "$files" = "$(printf './bin/tornvale\n./share/man/man1/tornvale.1')" ] ||
    fail "installed files are not exactly bin/tornvale and share/man/man1/tornvale.1:"$'\n'"$files"
  [ -x "$prefix/bin/tornvale" ] || fail "bin/tornvale is not executable"
}

test_manual_page_renders_without_warnings() {
  local page="$linux_build/tornvale.1" warnings
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man reports problems in the page:"$'\n'"$warnings"
  local text
  text=$(rendered_page "$page")
  for heading in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT "EXIT STATUS" ENVIRONMENT "STANDARD ERROR"; do
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -qx "$heading" || fail "no section $heading"
  done
  [[ $text == *"Tornvale $version"* ]] || fail "the page does not show version $version"
}

test_manual_page_names_every_exit_status() {
  local section
  section=$(page_section "$linux_build/tornvale.1" "EXIT STATUS")
  for status in 0 1 2; do
    grep -Eq "^ +$status +[A-Z]" <<<"$section" || fail "EXIT STATUS does not describe status $status:"$'\n'"$section"
  done
}

test_manual_page_covers_offline_volume_and_standard_error() {
  local text
  text=$(rendered_page "$linux_build/tornvale.1")
  for phrase in \
    'TORNVALE_OFFLINE_ROOT' \
    'Windows/System32/config/SYSTEM' \
    'Windows/System32/config/DEFAULT' \
    'NTUSER.DAT' \
    'AppData/Local/Microsoft/Windows/UsrClass.dat' \
    'ProfileImagePath' \
    '"key" -> "target"' \
    '"key" [access denied]' \
    '"key"<tab>[error while querying]' \
    'no such folder; no hives mounted' \
    'hive not mounted' \
    'hive is dirty; its logs are missing: recent changes may be absent'; do
    [[ $text == *"$phrase"* ]] || fail "the page does not mention: $phrase"
  done
}

test_deb_declares_version_and_libhivex() {
  [ -f "$deb" ] || fail "no package $deb"
  [ "$(dpkg-deb -f "$deb" Package)" = tornvale ] || fail "package name is not tornvale"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends == *libhivex0* ]] || fail "Depends does not name libhivex0: $depends"
  [[ $depends == *libc6* ]] || fail "Depends does not name libc6: $depends"
}

test_deb_unpacks_program_and_page() {
  local root="$scratch/deb-root"
  dpkg -x "$deb" "$root" || fail "dpkg -x failed"
  [ -x "$root/usr/bin/tornvale" ] || fail "no executable usr/bin/tornvale"
  cmp -s "$root/usr/share/man/man1/tornvale.1" "$linux_build/tornvale.1" ||
    fail "usr/share/man/man1/tornvale.1 is missing or not the built page"
}

# The packaged program itself: its three exit statuses.
test_deb_program_runs() {
  local root="$scratch/deb-run" out status
  dpkg -x "$deb" "$root" || fail "dpkg -x failed"
  local program="$root/usr/bin/tornvale"
  out=$(env -u TORNVALE_OFFLINE_ROOT "$program" "-?") && status=0 || status=$?
  [ "$status" = 1 ] || fail "tornvale -? exited with $status, not 1"
  [[ $out == *"Return codes:"* ]] || fail "tornvale -? printed no usage screen"
  out=$(env -u TORNVALE_OFFLINE_ROOT "$program" HKLM) && status=0 || status=$?
  [ "$status" = 0 ] || fail "tornvale HKLM on the empty registry exited with $status, not 0"
  [ -z "$out" ] || fail "tornvale HKLM on the empty registry printed: $out"
  out=$(env -u TORNVALE_OFFLINE_ROOT "$program" 'HKLM\Missing') && status=0 || status=$?
  [ "$status" = 2 ] || fail "tornvale on a missing key exited with $status, not 2"
  [ "$out" = $'"HKLM\\Missing"\t[error while querying]\r' ] || fail "unexpected output for a missing key: $out"
}

# What dpkg -i would find: apt resolves the package against this machine's
# packages without installing anything. Everything it depends on is already
# installed here (the build needs libhivex), so nothing else may be pulled in.
test_deb_dependencies_resolve() {
  local plan
  plan=$(apt-get install --simulate --no-install-recommends "$deb" 2>&1) ||
    fail "apt cannot install the package:"$'\n'"$plan"
  grep -q '^Inst tornvale ' <<<"$plan" || fail "apt would not install tornvale:"$'\n'"$plan"
  local others
  others=$(grep '^Inst ' <<<"$plan" | grep -v '^Inst tornvale ' || true)
  [ -z "$others" ] || fail "dependencies not installed, so dpkg -i alone would fail:"$'\n'"$others"
}

test_zip_holds_both_programs_and_readme() {
  [ -f "$zip" ] || fail "no package $zip"
  local listing
  listing=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
  [ "$listing" = "$(printf 'README.txt\nTornvale.exe\nx64/Tornvale.exe')" ] ||
    fail "the zip does not hold exactly README.txt, Tornvale.exe, x64/Tornvale.exe:"$'\n'"$listing"
  local unpacked="$scratch/zip"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
  cmp -s "$unpacked/Tornvale.exe" "$windows_build/Tornvale.exe" ||
    fail "Tornvale.exe is not the built $windows_build/Tornvale.exe"
  cmp -s "$unpacked/x64/Tornvale.exe" "$windows64_build/Tornvale.exe" ||
    fail "x64/Tornvale.exe is not the built $windows64_build/Tornvale.exe"
}

test_zip_programs_are_for_x86_and_x64() {
  local unpacked="$scratch/zip-machines"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
  local machine
  machine=$(pe_machine "$unpacked/Tornvale.exe") || exit 1
  [ "$machine" = 0x14c ] || fail "Tornvale.exe has machine $machine, not 0x14c (x86)"
  machine=$(pe_machine "$unpacked/x64/Tornvale.exe") || exit 1
  [ "$machine" = 0x8664 ] || fail "x64/Tornvale.exe has machine $machine, not 0x8664 (x64)"
}

test_zip_readme_has_crlf_lines_and_exit_statuses() {
  local readme="$scratch/README.txt"
  (cd "$scratch" && cmake -E tar xf "$zip" README.txt) || fail "no README.txt in the zip"
  local lines crlf
  lines=$(tr -cd '\n' <"$readme" | wc -c)
  crlf=$(grep -c $'\r$' "$readme" || true)
  [ "$lines" -gt 0 ] && [ "$crlf" = "$lines" ] || fail "$crlf of $lines lines end in CR LF"
  [ "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "the last line does not end in CR LF"
  [ "$(tr -cd '\r' <"$readme" | wc -c)" = "$lines" ] || fail "a carriage return stands somewhere else than at a line end"
  for status in 0 1 2; do
    grep -Eq "^ +$status +[a-z]" "$readme" || fail "README.txt does not describe exit status $status"
  done
  grep -q 'Tornvale.exe <Reg-Path> \[-v\]' "$readme" || fail "README.txt shows no usage line"
  grep -q "^Tornvale $version"$'\r$' "$readme" || fail "README.txt does not show version $version"
}

test_packages_share_the_version() {
  local windows_version
  windows_version=$(project_version "$windows64_build")
  [ "$windows_version" = "$version" ] ||
    fail "the Windows build has version $windows_version, the Linux build $version"
}

passed=0
failed=0
for test in $(declare -F | awk '$3 ~ /^test_/ {print $3}'); do
  log="$scratch/$test.log"
  ( set -e; "$test" ) >"$log" 2>&1
  if [ $? -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS ${test#test_}"
  else
    failed=$((failed + 1))
    echo "FAIL ${test#test_}"
    sed 's/^/    /' "$log"
  fi
done
echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
