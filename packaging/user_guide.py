#!/usr/bin/env python3
"""Writes the user's guide of the packages from the README, its one source.

    user_guide.py README VERSION OUT [--crlf]

The README marks the parts a user of the installed program reads (the command line, what velmo
promises, the pages it understands, installing on Windows) with a line `<!-- user guide -->`
before each and a line `<!-- end of user guide -->` after it; the guide is those parts in order
under a title of its own. --crlf ends its lines with CR LF, for Windows' Notepad.
"""

import argparse
import pathlib
import sys

BEGIN = "<!-- user guide -->"
END = "<!-- end of user guide -->"


def guide_parts(lines):
    parts, part = [], None
    for number, line in enumerate(lines, 1):
        marker = line.strip()
        if marker == BEGIN:
            if part is not None:
                sys.exit(f"user_guide: line {number}: a part begins inside another")
            part = []
        elif marker == END:
            if part is None:
                sys.exit(f"user_guide: line {number}: a part ends that never began")
            parts.append("\n".join(part).strip("\n"))
            part = None
        elif part is not None:
            part.append(line)
    if part is not None:
        sys.exit("user_guide: the last part never ends")
    if not parts:
        sys.exit(f"user_guide: the README marks no part with {BEGIN}")
    return parts


def guide(readme, version):
    title = f"# velmo {version}: user's guide"
    intro = (
        "velmo performs page-building commands on HTML files and whole site folders on disk,\n"
        "keeping every byte it does not change. `velmo --help` and `man velmo` (on Debian) list\n"
        "every command and option."
    )
    return "\n\n".join([title, intro, *guide_parts(readme.splitlines())]) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("readme")
    parser.add_argument("version")
    parser.add_argument("out")
    parser.add_argument("--crlf", action="store_true")
    args = parser.parse_args()
    text = guide(pathlib.Path(args.readme).read_text(encoding="utf-8"), args.version)
    newline = "\r\n" if args.crlf else "\n"
    with open(args.out, "w", encoding="utf-8", newline=newline) as out:
        out.write(text)


if __name__ == "__main__":
    main()
