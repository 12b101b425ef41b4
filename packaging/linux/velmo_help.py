"""velmo's commands and options, read from the program's own --help output.

The manual page and the shell completion are both made from this, so that neither can list an
option the program does not have, or miss one it has.
"""

import re
import subprocess
from dataclasses import dataclass, field


@dataclass
class Entry:
    """One line of a Positionals: or Options: list: its names and what it says."""

    term: str
    text: str = ""

    @property
    def names(self):
        """The option names of an Options: entry ('-h,--help' gives both)."""
        head = self.term.split(" ", 1)[0]
        return [n for n in head.split(",") if n.startswith("-")]

    @property
    def takes_value(self):
        parts = self.term.split(" ")
        return len(parts) > 1


@dataclass
class Command:
    name: str
    summary: str
    usage: str = ""
    positionals: list = field(default_factory=list)
    options: list = field(default_factory=list)


# CLI11 pads the term to 30 columns and puts the text after it; a term that does not fit has the
# whole line, and its text follows on the next line, indented by 30 spaces. Texts are not wrapped.
_TEXT_COLUMN = 30


def _entries(lines):
    lines = [line for line in lines if line.strip()]
    entries = []
    for i, line in enumerate(lines):
        if line.startswith(" " * _TEXT_COLUMN):
            continue
        following = lines[i + 1] if i + 1 < len(lines) else ""
        if following.startswith(" " * _TEXT_COLUMN):
            term, text = line, following
        else:
            term, text = line[:_TEXT_COLUMN], line[_TEXT_COLUMN:]
        # "--select TEXT Excludes: --caret-before": the clause belongs to what the entry says.
        term, _, clause = term.strip().partition(" Excludes: ")
        text = text.strip()
        if clause:
            text = f"{text} (not with {clause})"
        entries.append(Entry(term, text))
    return entries


def _sections(text):
    """The help text's lead lines and its titled lists ('Options:' and so on)."""
    lead, sections, current = [], {}, None
    for line in text.splitlines():
        title = re.fullmatch(r"(\w[\w ]*):", line)
        if title:
            current = sections.setdefault(title.group(1), [])
        elif current is None:
            lead.append(line)
        else:
            current.append(line)
    return lead, sections


def run_help(velmo, *args):
    return subprocess.run([velmo, *args, "--help"], check=True, capture_output=True,
                          text=True).stdout


def read_program(velmo):
    """The program's summary, its own options, and each command with its options."""
    lead, sections = _sections(run_help(velmo))
    top = Command("velmo", lead[0].strip())
    top.usage = next((l for l in lead if l.startswith("Usage:")), "")
    top.options = _entries(sections.get("Options", []))
    commands = []
    for entry in _entries(sections.get("Subcommands", [])):
        lead, sections = _sections(run_help(velmo, entry.term))
        command = Command(entry.term, entry.text)
        command.usage = next((l for l in lead if l.startswith("Usage:")), "")
        command.positionals = _entries(sections.get("Positionals", []))
        command.options = _entries(sections.get("Options", []))
        commands.append(command)
    return top, commands
