#!/usr/bin/env bash
# The Debian package as a user meets it: lintian finds no error; no test-only library among its
# dependencies; unpacked into a scratch root, velmo runs from there, finds its help file and
# changes a page as the built velmo does; the binary has the hardening of Debian's build flags;
# the user's guide holds the README's user sections and nothing of building; the manual page
# names every command and option; bash completes commands and options; and
# `cmake --install --strip` puts the same files in place.
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
# Help pages are read by velmo's own page scanner: the HTML5 parser the tests compare it with is
# no part of the package.
if dpkg-deb -f "$deb" Depends | grep -q gumbo; then fail "the package depends on gumbo"; fi
if objdump -p "$velmo" | grep -q 'NEEDED.*gumbo'; then fail "velmo links gumbo"; fi

# Every hardening of Debian's build flags. Control flow protection is not asked for: this
# release's C library and compiler runtime lack its marks, so no program linked with them has it.
if ! hardening-check --nocfprotection "$velmo" >"$work/hardening.txt" 2>&1; then
  fail "hardening-check:"; cat "$work/hardening.txt" >&2
fi
for feature in 'Position Independent Executable' 'Stack protected' 'Fortify Source functions' \
  'Read-only relocations' 'Immediate binding'; do
  grep -q "^ $feature: yes" "$work/hardening.txt" || fail "hardening-check: $feature is not yes"
done

# The user's guide, and not the developer's README, in the package's documentation.
doc=$root/usr/share/doc/velmo
[[ ! -e $doc/README.md ]] || fail "the package installs the developer README"
for section in '## The `velmo` command line' '### What velmo promises' \
  '### The pages velmo understands' '### On Windows: the installer packages' \
  '## Windows: velmo.exe'; do
  grep -qxF "$section" "$doc/guide.md" || fail "the user's guide lacks '$section'"
done
if grep -nE 'test\.sh|cmake --build|user guide -->' "$doc/guide.md"; then
  fail "the user's guide holds building instructions or the README's marks"
fi

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

# cmake --install --strip puts the same files in the same places, velmo as small as the package's.
DESTDIR=$work/installed cmake --install "$build" --strip --prefix /usr >/dev/null
diff <(cd "$root" && find . -type f | sort) <(cd "$work/installed" && find . -type f | sort) ||
  fail "cmake --install and the package differ"
[[ $(stat -c %s "$work/installed/usr/bin/velmo") -le $(($(stat -c %s "$velmo") * 11 / 10)) ]] ||
  fail "cmake --install --strip leaves velmo larger than the package's"

if ((failures)); then exit 1; fi
echo "the Debian package installs and works"
