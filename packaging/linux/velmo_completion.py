#!/usr/bin/env python3
"""Writes velmo's bash completion from the program's own help: velmo_completion.py VELMO OUT."""

import sys

from velmo_help import read_program

TEMPLATE = """\
# bash completion for velmo, made from velmo's own --help at build time.

_velmo() {
  local cur prev words cword
  _init_completion || return

  if ((cword == 1)); then
    COMPREPLY=($(compgen -W '%(commands)s %(top)s' -- "$cur"))
    return
  fi

  local options valued
  case ${words[1]} in
%(cases)s
    *) return ;;
  esac

  # An option that takes a value: a file or folder for most of them, so offer names.
  if [[ " $valued " == *" $prev "* ]]; then
    _filedir
    return
  fi
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  _filedir
}
complete -F _velmo velmo
"""


def main(velmo, out):
    top, commands = read_program(velmo)
    cases = []
    for command in commands:
        names = [n for o in command.options for n in o.names]
        valued = [n for o in command.options if o.takes_value for n in o.names]
        cases.append(f"    {command.name})\n"
                     f"      options='{' '.join(names)}'\n"
                     f"      valued='{' '.join(valued)}'\n"
                     f"      ;;")
    text = TEMPLATE % {
        "commands": " ".join(c.name for c in commands),
        "top": " ".join(n for o in top.options for n in o.names if n.startswith("--")),
        "cases": "\n".join(cases),
    }
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(*sys.argv[1:3])
