#!/usr/bin/env python3
"""Writes the COMMANDS part of velmo's manual page, for help2man --include:
velmo_manual.py VELMO OUT. help2man makes the rest from `velmo --help` and `--version`."""

import sys

from velmo_help import read_program


def roff(text):
    """Text safe in a roff line: backslashes and hyphens escaped, no control character first."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def main(velmo, out):
    _, commands = read_program(velmo)
    lines = ["[COMMANDS]"]
    for command in commands:
        lines += [f'.SS "{roff(command.usage.removeprefix("Usage: "))}"', roff(command.summary)]
        for entry in command.positionals + command.options:
            lines += [".TP", f"\\fB{roff(entry.term)}\\fR", roff(entry.text)]
    lines += [
        "[FILES]",
        ".TP",
        "\\fI/usr/share/velmo/helptest.chm\\fR",
        "The help file that \\fBvelmo help\\fR reads; in a build tree, the file beside the program.",
        ".TP",
        "\\fI$XDG_CONFIG_HOME/velmo/\\fR (default \\fI~/.config/velmo/\\fR)",
        "The colour scheme that \\fBvelmo style \\-\\-save\\fR keeps and \\fB\\-\\-load\\fR reads.",
        ".TP",
        "\\fI$XDG_CACHE_HOME/velmo/help\\fR (default \\fI~/.cache/velmo/help\\fR)",
        "The help pages given to the browser.",
        "[EXIT STATUS]",
        "0 done; 1 the command was refused or cancelled (a validation message, a No); "
        "2 bad usage or an error of the page or site (the message on standard error names the "
        "file). A refused or failed command leaves every file as it was.",
    ]
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:3])
