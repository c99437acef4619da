#!/usr/bin/env bash
# The program's options are answered before it needs a display: --help and --version print and end
# with 0, an unknown option prints one line of error and the usage to stderr and ends with 2.
# Usage: OptionsTest.sh PROGRAM
set -u
program=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failed=0
fail() { echo "FAILED: $*"; failed=1; }

errors=$("$program" --bogus 2>&1 >/dev/null)
status=$?
[[ $status -eq 2 ]] || fail "--bogus ended with status $status, not 2"
[[ $(head -n 1 <<<"$errors") == *"unknown option: --bogus" ]] || fail "--bogus: no error line first: $errors"
grep -q '^Usage: quorrel' <<<"$errors" || fail "--bogus: no usage on stderr: $errors"

version=$("$program" --version) || fail "--version ended with status $?"
[[ $version == "Quorrel "* ]] || fail "--version printed: $version"
"$program" --help | grep -q '^Usage: quorrel' || fail "--help printed no usage"
exit $failed
