#!/usr/bin/env bash
# The Debian package as a user meets it: lintian finds no error; unpacked into a scratch root,
# velmo runs from there, finds its help file and changes a page as the built velmo does; the
# manual page names every command and option; bash completes commands and options; and
# `cmake --install` puts the same files in place.
#   debian_package_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
deb=$(ls -t "$build"/packages/velmo_*.deb | head -1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# lintian as root warns about itself; --fail-on error makes only errors fatal.
if ! lintian --allow-root --fail-on error "$deb" >"$work/lintian.txt" 2>&1; then
  fail "lintian reports errors:"; cat "$work/lintian.txt" >&2
fi
grep -v 'running with root privileges' "$work/lintian.txt" || true

root=$work/root
dpkg-deb -x "$deb" "$root"
velmo=$root/usr/bin/velmo
version=$("$velmo" --version)
[[ $version == "velmo $(dpkg-deb -f "$deb" Version)" ]] || fail "velmo --version says '$version'"

# The help file is found where the package put it, not beside the program.
[[ ! -e $root/usr/bin/helptest.chm ]] || fail "helptest.chm lies in /usr/bin"
if ! "$velmo" help 5 --text >"$work/help.txt" 2>&1; then
  fail "velmo help 5 --text from the package:"; cat "$work/help.txt" >&2
fi
"$build/bin/velmo" help 5 --text >"$work/help-built.txt" 2>&1
cmp -s "$work/help.txt" "$work/help-built.txt" || fail "help 5 --text differs from the built velmo's"

# One page command from the package, against the same command of the built velmo.
for who in package built; do
  cp -r "$source/examples/site" "$work/site-$who"
done
"$velmo" erase-bot "$work/site-package/index.html" Timestamp >/dev/null
"$build/bin/velmo" erase-bot "$work/site-built/index.html" Timestamp >/dev/null
diff -r "$work/site-package" "$work/site-built" >/dev/null || fail "erase-bot from the package differs"
cmp -s "$work/site-package/index.html" "$source/examples/site/index.html" &&
  fail "erase-bot from the package changed nothing"

# Every command and every option of its --help is in the manual page.
manual=$(zcat "$root/usr/share/man/man1/velmo.1.gz" | sed 's/\\-/-/g')
commands=$("$velmo" --help | awk '/^Subcommands:/ {on = 1; next} on && NF {print $1}')
[[ -n $commands ]] || fail "velmo --help lists no commands"
for command in $commands; do
  grep -q "velmo $command " <<<"$manual" || fail "the manual page has no section for $command"
  for option in $("$velmo" "$command" --help | grep -oE '(^|[ ,])--?[a-z0-9][a-z0-9-]*' | tr -d ' ,' | sort -u); do
    grep -qe "$option" <<<"$manual" || fail "the manual page lacks $command $option"
  done
done

# Completion as bash does it: the word list for a command line ending in the word at CWORD.
complete_line() {
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _velmo velmo "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/velmo" "$@"
}
[[ $(complete_line velmo da) == date ]] || fail "velmo da<TAB> gives '$(complete_line velmo da)'"
[[ $(complete_line velmo date --rep) == --replace ]] || fail "velmo date --rep<TAB>"
[[ $(complete_line velmo script-head --on) == --once ]] || fail "velmo script-head --on<TAB>"
[[ -z $(complete_line velmo erase-bot --rep) ]] || fail "erase-bot offers --replace, which it lacks"
mkdir "$work/pages" && touch "$work/pages/index.html"
[[ $(cd "$work/pages" && complete_line velmo date ind) == index.html ]] || fail "velmo date ind<TAB>"

# cmake --install puts the same files in the same places.
DESTDIR=$work/installed cmake --install "$build" --prefix /usr >/dev/null
diff <(cd "$root" && find . -type f | sort) <(cd "$work/installed" && find . -type f | sort) ||
  fail "cmake --install and the package differ"

if ((failures)); then exit 1; fi
echo "the Debian package installs and works"
