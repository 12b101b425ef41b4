#!/usr/bin/env bash
# Regroups a velmo checkout so that a listing of the top level shows the layers:
#
#   core/       common/ page_host/ forms/ platform/ (with headless/) help/
#   features/   date/ favourites/ offers/ slideshow/ style/ command_class/
#   file_host/  the page host over files on disk, over files/ html/ css/ settings/
#   desktop/    the console programs' desktop (help viewer, program folder, shell "open"),
#               with linux/ and windows/ for what differs by system
#   windows/    platform/ renderer/ com/ editor_binding/ dll/ (with the IDL) standin/
#   cli/        main.cpp over commands/ run/ output/
#
# Run it at the top of a checkout: it moves folders with `git mv`, rewrites includes, CMake
# files, namespaces and the README's Layout, and runs clang-format on what it changed. It moves
# whole folders, so files it does not know travel with their folder; a source that is missing
# is skipped with a notice. It refuses to run twice (core/common/ exists once it has run).
set -euo pipefail

# The rewriting below edits files under tools/, this one among them: run from a copy, so that
# bash never reads a script that changes under it.
if [ -z "${REGROUP_FROM_COPY:-}" ]; then
  copy=$(mktemp)
  cp "$0" "$copy"
  REGROUP_FROM_COPY=$copy exec bash "$copy" "$@"
fi
trap 'rm -f "$REGROUP_FROM_COPY"' EXIT

[ -f CMakeLists.txt ] && [ -f cmake/VelmoLayers.cmake ] && git rev-parse --git-dir >/dev/null 2>&1 ||
  { echo "reorg: run this at the top of a velmo checkout" >&2; exit 2; }
if [ -e core/common ] || [ -e features ] || [ -e file_host ]; then
  echo "reorg: this tree is reorganised already (core/, features/ or file_host/ exists); nothing done" >&2
  exit 1
fi
if ! git diff --quiet || ! git diff --cached --quiet; then
  echo "reorg: the work tree has changes; commit or stash them first" >&2
  exit 2
fi

moves=$(mktemp)
trap 'rm -f "$moves" "$REGROUP_FROM_COPY"' EXIT

notice() { echo "reorg: $*" >&2; }

# move SRC DST: a folder or a file, recorded for the rewriting below; a missing SRC is skipped.
move() {
  local src=$1 dst=$2
  if [ ! -e "$src" ]; then
    notice "skipped $src -> $dst: $src is not there"
    return 0
  fi
  if [ -d "$src" ] && [ -d "$dst" ]; then
    # The target exists already (made by someone else): move what the source holds into it.
    local entry
    for entry in "$src"/* "$src"/.[!.]*; do
      [ -e "$entry" ] || continue
      move "$entry" "$dst/$(basename "$entry")"
    done
    rmdir "$src" 2>/dev/null || notice "left $src: it still holds untracked files"
    return 0
  fi
  if [ -e "$dst" ]; then
    notice "skipped $src -> $dst: $dst exists"
    return 0
  fi
  mkdir -p "$(dirname "$dst")"
  git mv "$src" "$dst"
  printf '%s\t%s\n' "$src" "$dst" >>"$moves"
}

# move_into DIR FILE...: each file (by path) that exists into DIR.
move_into() {
  local dir=$1 file
  shift
  for file in "$@"; do
    [ -e "$file" ] && move "$file" "$dir/$(basename "$file")"
  done
  return 0
}

# --- The portable core, bottom up. Nested folders leave their parents first.
move platform/windows/console desktop/windows
move platform/windows/renderer windows/renderer
move platform/windows windows/platform
move platform/linux desktop/linux
move platform core/platform
for folder in common page_host forms help; do move "$folder" "core/$folder"; done

# --- The features and the command class over them.
for folder in date favourites offers slideshow style command_class; do
  move "$folder" "features/$folder"
done

# --- The page host over files: the host itself at file_host/, its layers below it.
move site file_host
move file_host/standalone_host.h file_host/file_host.h
move file_host/standalone_host.cpp file_host/file_host.cpp
for folder in files html css; do move "$folder" "file_host/$folder"; done

# --- Windows only: COM plumbing, the DLL with its type library, the stand-in editor.
move com windows/com
move comserver windows/dll
move resources/VelmoCls.idl windows/dll/VelmoCls.idl
move standin windows/standin

# The editor binding: the editor's object model as a page host, a layer of its own.
move_into windows/editor_binding windows/dll/editor_binding.h windows/dll/editor_binding.cpp \
  windows/dll/editor_objects.h windows/dll/editor_page_objects.cpp windows/dll/editor_site_objects.cpp

# --- The desktop: what desktop/windows/ compiled from the Linux folder is portable, and so are
# the interfaces both halves implement; the INI store of saved settings is a file-host layer.
if [ -d desktop/linux ]; then
  move_into file_host/settings desktop/linux/ini_text.h desktop/linux/ini_text.cpp \
    desktop/linux/settings_store.h desktop/linux/settings_store.cpp
  portable=()
  if [ -f desktop/windows/CMakeLists.txt ]; then
    while read -r name; do
      portable+=("desktop/linux/$name")
    done < <(sed -n 's#^[[:space:]]*\${linux}/\([A-Za-z0-9_]*\.cpp\)[[:space:]]*$#\1#p' desktop/windows/CMakeLists.txt)
  fi
  move_into desktop "${portable[@]}" desktop/linux/*.h
fi

# --- The command line: commands, the run machinery, the output formats; main.cpp stays.
cli_commands=(bots_command dialog_commands favourites_command offers_command page_commands
              slide_command style_command)
cli_run=(dialog_run page_run page_session site_run page_selection glob_match import_once
         held_confirmations headless_ui ini_settings standard_input replace_blocks process_platform
         posix_process windows_process)
cli_output=(json_text unified_diff progress_bar)
for name in "${cli_commands[@]}"; do move_into cli/commands cli/$name.h cli/$name.cpp; done
for name in "${cli_run[@]}"; do move_into cli/run cli/$name.h cli/$name.cpp; done
for name in "${cli_output[@]}"; do move_into cli/output cli/$name.h cli/$name.cpp; done

for entry in */; do
  case ${entry%/} in
    core|features|file_host|desktop|windows|cli|bench|cmake|examples|packaging|resources|tests|tools|build*) ;;
    *) notice "left ${entry%/}/ at the top level: this script does not know it" ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work" "$moves" "$REGROUP_FROM_COPY"' EXIT
cat >"$work/layout.md" <<'REORG_LAYOUT_MD'
## Layout

The top level shows the layers, lowest first: `core/` (the portable base), `features/` (the
commands and their dialogs), `file_host/` (the page host over files on disk), `desktop/` (what
the console programs need of the desktop), `windows/` (Windows only: the COM server and what it
stands on) and `cli/` (the `velmo` program), beside the folders that build, test and package them.
A folder's namespace follows it: `core/` and `features/` are `velmo` (the dialog model
`velmo::forms`), `file_host/` is `velmo::file_host`, `desktop/` is `velmo::desktop`, `windows/` is
`velmo::win` (the stand-in editor `velmo::standin`) and `cli/` is `velmo::cli`.

Each folder is one layer of the build, and each layer one library compiled against the headers
of the layers it uses and of nothing else (`cmake/VelmoLayers.cmake` gives every library an
include tree of links to exactly those headers). An include of a higher layer does not compile:
`#include "features/date/frm_date.h"` in `core/platform/` fails with
`features/date/frm_date.h: No such file or directory`, which the test `layers_refuse_a_back_edge`
checks. Each line names a layer and the layers it uses directly (what those use comes with them):

```text
core/common/                                 (uses nothing of ours)
core/page_host/                           -> core/common/
core/forms/                               -> core/common/
core/platform/                            -> core/forms/
core/platform/headless/                   -> core/platform/
core/help/                                -> core/platform/
features/date/ favourites/ offers/ slideshow/ style/
                                          -> core/page_host/, core/help/
features/command_class/                   -> features/date/ favourites/ offers/ slideshow/ style/
file_host/files/                          -> core/common/
file_host/settings/                       -> file_host/files/
file_host/html/                           -> core/common/
file_host/css/                            -> core/common/
file_host/                                -> core/page_host/, file_host/files/, file_host/html/, file_host/css/
desktop/                                  -> core/platform/, file_host/settings/
desktop/linux/                            -> desktop/
desktop/windows/                          -> desktop/
windows/platform/                         -> core/platform/
windows/renderer/                         -> windows/platform/
windows/com/                              -> core/common/
windows/editor_binding/                   -> windows/com/, core/page_host/
windows/dll/       (VelmoCls.dll)         -> features/command_class/, windows/editor_binding/,
                                             windows/renderer/
windows/standin/   (the stand-in editor)  -> windows/com/, file_host/
cli/               (velmo, velmo.exe)     -> features/command_class/, core/platform/headless/,
                                             file_host/, and desktop/linux/ or desktop/windows/
packaging/windows/ (velmo_registry_rows)  -> windows/com/
```

The features and the page host over files stand side by side on the page host interface:
neither knows the other, and only the programs put them together. A form needs one seam of the
platform, its message boxes, and that seam lives with the forms; the other seams are built on
the dialog model.

| folder | layer | what it holds |
|---|---|---|
| `core/common/` | common | text helpers shared by all code (UTF-8 and UTF-16), the one escaping of typed text into generated scripts, attributes and comments, `shownName` (how every file name is shown: `shown_name.h`), and `HostError` with the HRESULT names |
| `core/page_host/` | page host interface | the editor's object model as the features see it (`PageHost`, documents, elements, the site), short paths through it and the named HEAD script helpers |
| `core/forms/` | dialog model | form designs, controls, user controls, handlers on controls the design has, lifecycle, the scripted user, and the message boxes a form shows (`message_box.h`) |
| `core/platform/` | platform seams | the seams to the platform a dialog runs on (common dialogs, settings, help, shell, text measuring), their bundle `Platform`, and `UiEnvironment`, the user interface of one thread with its one instance of each dialog |
| `core/platform/headless/` | platform | console message boxes, scripted common dialogs, fixed text measuring |
| `core/help/` | help | `CHTMLHelp`, the help wrapper the dialogs' Help buttons use |
| `features/date/` | feature | the current-date block and its dialog `frmDate` |
| `features/favourites/` | feature | the add-to-favourites block and its dialog `frmAddToFavor2` |
| `features/offers/` | feature | the hyperlink label `URLLink` and the offers window `frmAds` |
| `features/slideshow/` | feature | the slide show generator and its dialog `frmSlide` |
| `features/style/` | feature | the scrollbar colour style and its dialog `frmstyletest` |
| `features/command_class/` | command class | `clstestt`: one method per command, and the one factory of each command's dialog (`dialogs.h`) |
| `file_host/` | page host over files | the page host over an HTML file, its linked sheets and a site folder on disk: the page model, linked sheets, the site folder |
| `file_host/files/` | page host over files | files on disk as a stack: the temporary file, the atomic replace on it, the locked file on that, the transaction over several files (see What velmo promises); links, journals, staged imports, the run's batch of writes (`write_batch.h`), the picture check of imports; what differs by system is in `posix_*` and `windows_*` files (`platform_replace.h` and `native_file.h` are their seams), and the build takes one set |
| `file_host/settings/` | page host over files | the INI file of saved settings (`settings_store.h`), read and changed line by line (`ini_text.h`), its saves a part of the page's transaction |
| `file_host/html/` | page host over files | pages as bytes: encodings and their one converter seam, encoding detection, where a caret may stand, and the page index in parts: the landmark data (`page_landmarks.h`) and list, the tokenizer (`html_scan`) with the one table of raw-text elements and HTML's named character references (generated from Python's `html.entities`), the scanner and its observer (the one reader of every HTML question: where a caret stands, which text a script or style sheet holds, a help page's text), the tree-building rules, the resync after edits, webbot pairing (server blocks kept opaque throughout), the template languages and their blocks (`template_syntax`; whether an offset lies in a string of a server or template block, `inServerString`), lines and columns as a reader counts them (`page_lines.h`) |
| `file_host/css/` | page host over files | the CSS engine: tokenizer, rule blocks, declarations and their importance |
| `desktop/` | desktop | what velmo and velmo.exe share of the desktop: the help viewer (a help archive checked before it is read, its layout and tables, help as paragraphs of text, pages in a private cache folder), the program's folder, the shell's "open"; the interfaces each system's half implements |
| `desktop/linux/` | desktop | the Linux half: the help file through libchm, `xdg-open`, the program's folder and the cache under the user's folders |
| `desktop/windows/` | desktop | the Windows half of velmo.exe's desktop: the help file through ITStorage, help text from a small tag scanner, the shell's "open", the program's folder and the help cache under `%LOCALAPPDATA%` |
| `windows/platform/` | platform | the Windows services: message boxes, common dialogs, shell, HTML Help, registry settings |
| `windows/renderer/` | platform | the Windows renderer of the dialogs: forms as real windows, the modal loop, GDI fonts, colours and text measuring |
| `windows/com/` | COM plumbing | one object base, one exception barrier, owners for BSTR and VARIANT, late-bound calls, the module count, registry rows |
| `windows/editor_binding/` | editor binding | the editor's object model as a page host: late-bound calls on the editor's own page and site objects |
| `windows/dll/` | program | the COM server `VelmoCls.dll`: its type library source `VelmoCls.idl` (built in `typelib/`), class factories, registration, IDispatch, the turns of page edits across threads, the Windows user interface it hands the commands (one environment per thread) |
| `windows/standin/` | program | the stand-in editor for tests and demos under Wine |
| `cli/` | program | the `velmo` program (and velmo.exe): `main.cpp` over the three folders below |
| `cli/commands/` | program | the commands: page operations, dialog commands, bots, favourites, offers, slide show, style |
| `cli/run/` | program | the run machinery: the system calls behind one seam (`process_platform.h`, with `posix_process.cpp` and `windows_process.cpp`), the scripted user, how a dialog run ends and its exit status (`dialog_run.h`), standard input, one page's run handed down to the dialogs' seams (`page_run.h`: its output, the confirmations held until its files are written, its picks), the saved scheme as a part of the page's transaction, and runs over many pages (page selection, the pool with its imports planned per site `import_once.h`, `--replace`/`--once`) |
| `cli/output/` | program | what a run prints: the one JSON writer `json_text.h`, the linear-space diff of `--dry-run` `unified_diff.h`, the progress bar |
| `packaging/windows/` | program | the installer packages' sources: `velmo_registry_rows.exe`, which prints the rows a DLL's self-registration writes, and `make_wxs.py`, which turns them into a package |
| `resources/` | | the help sources, the scrollbar reference picture, the hand cursor, and the encodings' index tables (`resources/encoding/`) |
REORG_LAYOUT_MD
cat >"$work/rewrite.py" <<'REORG_PY'
"""The text half of reorg.sh: follows the moves it recorded through includes, CMake files,
namespaces, comments and the README. Run by reorg.sh with the file of moves (SRC TAB DST)."""
import os
import re
import subprocess
import sys

moves = [tuple(line.rstrip("\n").split("\t")) for line in open(sys.argv[1]) if line.strip()]


def notice(text):
    print("reorg: " + text, file=sys.stderr)


def moved(path):
    """Where the tree now keeps what was at `path` (a file or folder, no trailing slash)."""
    for src, dst in moves:
        if path == src:
            path = dst
        elif path.startswith(src + "/"):
            path = dst + path[len(src):]
    return path


def tracked():
    out = subprocess.run(["git", "ls-files", "-z"], capture_output=True, check=True).stdout
    return [p for p in out.decode("utf-8", "surrogateescape").split("\0") if p and os.path.isfile(p)]


def read(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        return f.read()


def write(path, text):
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(text)


def edit(path, change):
    if not os.path.isfile(path):
        notice(f"not edited: {path} is not there")
        return
    before = read(path)
    after = change(before)
    if after != before:
        write(path, after)


# A path as it stands in text: letters, digits and the punctuation file names here use.
PATH = r"[A-Za-z0-9_][A-Za-z0-9_./-]*"


def map_path(token, need_existing=True):
    """The new spelling of a source path, or None when the token is not one that moved."""
    slash = token.endswith("/")
    bare = token.rstrip("/")
    new = moved(bare)
    if new == bare:
        return None
    if need_existing and not os.path.exists(new):
        return None
    return new + ("/" if slash else "")


# --- Includes, everywhere (tests and folders this script does not know included).
INCLUDE = re.compile(r'^(\s*#\s*include\s+")([^"]+)(")', re.M)


def rewrite_includes(text):
    def one(m):
        new = map_path(m.group(2), need_existing=False)
        return m.group(1) + (new or m.group(2)) + m.group(3)
    return INCLUDE.sub(one, text)


# --- Paths named in comments and prose: only paths that still name something after the move
# (a file path, or a folder of two or more parts, or a bare folder followed by '/'), so that
# words such as "site/" in an example keep their meaning unless the folder is meant.
PROSE_PATH = re.compile(r"(?:(?<=[\s(`'\"\[])|^)(" + PATH + r")", re.M)
AMBIGUOUS = {"site/", "date/", "style/", "help/", "files/", "common/", "com/", "html/", "css/",
             "forms/", "platform/", "offers/"}


def rewrite_prose(text, allow_ambiguous):
    def one(m):
        token = m.group(1)
        if "/" not in token:
            return token
        core = token.rstrip(".,;:)")
        tail = token[len(core):]
        if core in AMBIGUOUS and not allow_ambiguous:
            return token
        new = map_path(core)
        return (new + tail) if new else token
    return PROSE_PATH.sub(one, text)


def rewrite_comments_cpp(text):
    out = []
    for line in text.split("\n"):
        i = line.find("//")
        if i >= 0 and not line.lstrip().startswith("#include"):
            line = line[:i] + rewrite_prose(line[i:], False)
        out.append(line)
    return "\n".join(out)


# --- Namespaces follow folders.
NAMESPACES = [
    (re.compile(r"\bvelmo::standalone\b"), "velmo::file_host"),
    (re.compile(r"(?<![\w:])standalone::"), "file_host::"),
    (re.compile(r"\bnamespace standalone\b"), "namespace file_host"),
    (re.compile(r"\blinux_help\b"), "desktop"),
    (re.compile(r"\blinux_desktop\b"), "desktop"),
    (re.compile(r"\bStandaloneHost\b"), "FileHost"),
]


def rewrite_namespaces(text):
    for pattern, new in NAMESPACES:
        text = pattern.sub(new, text)
    # The viewer is velmo.exe's too.
    return name_the_host(text.replace("the Linux help viewer", "the desktop's help viewer"))


def name_the_host(text):
    """The stand-alone host is called what it is: the page host over files."""
    text = re.sub(r"\bstand-alone host's\b", "file host's", text)
    return re.sub(r"\bstand-alone host\b", "page host over files", text)


# --- CMake: folders of layers, paths from the source root, the top level's subdirectories.
def rewrite_cmake(text, top_level):
    text = name_the_host(re.sub(r"\bvelmo_site\b", "velmo_file_host", text))
    def folders(m):
        words = re.split(r"(\s+)", m.group(2))
        return m.group(1) + "".join(map_path(w, False) or w if w.strip() else w for w in words)
    text = re.sub(r"(FOLDERS)((?:\s+(?!USES\b|LIBRARIES\b)[A-Za-z0-9_/${}.-]+)+)", folders, text)
    text = re.sub(r"(_DIR\}/)(" + PATH + ")",
                  lambda m: m.group(1) + (map_path(m.group(2), False) or m.group(2)), text)
    if top_level:
        text = re.sub(r"(add_subdirectory\()([^)\s]+)",
                      lambda m: m.group(1) + (map_path(m.group(2), False) or m.group(2)), text)
    out = []
    for line in text.split("\n"):
        i = line.find("#")
        if i >= 0:
            line = line[:i] + rewrite_prose(line[i:], False)
        out.append(line)
    return "\n".join(out)


CPP = (".cpp", ".h", ".c", ".hpp", ".rc", ".idl")
skip = ("tests/corpus/old_site/", "tests/corpus/template_site/", "tests/fuzz/corpus/",
        "resources/encoding/", "examples/site/")
for path in tracked():
    if path.startswith(skip):
        continue
    name = os.path.basename(path)
    if path.endswith(CPP):
        edit(path, lambda t: rewrite_namespaces(rewrite_comments_cpp(rewrite_includes(t))))
    elif name == "CMakeLists.txt" or name.endswith(".cmake"):
        edit(path, lambda t, top=(path == "CMakeLists.txt"): rewrite_cmake(t, top))
    elif name.endswith(".py"):
        # Generators write C++: their namespaces follow too.
        edit(path, lambda t: rewrite_namespaces(rewrite_prose(t, False)))
    elif name.endswith(".sh") or path.startswith(".ci/"):
        edit(path, lambda t: rewrite_prose(t, False))


# --- The build's own edits that no pattern makes.
def top_level(text):
    # Windows: one folder, added once, where the first of its parts was.
    parts = ["windows/platform", "windows/com", "windows/dll", "windows/standin"]
    first = True
    for part in parts:
        line = re.compile(r"^[ \t]*add_subdirectory\(" + re.escape(part) + r"\)[ \t]*\n", re.M)
        if line.search(text):
            if first:
                text = line.sub(lambda m: m.group(0).replace(part, "windows"), text, count=1)
                first = False
            else:
                text = line.sub("", text, count=1)
    # The desktop adds its system's half itself.
    text = re.sub(r"add_subdirectory\(desktop/(?:linux|windows)\)", "add_subdirectory(desktop)", text)
    # The INI store of settings, beside the files it is written with.
    if "add_subdirectory(file_host/settings)" not in text:
        text = re.sub(r"^([ \t]*)add_subdirectory\(file_host/files\)\n",
                      r"\g<0>\1add_subdirectory(file_host/settings)\n", text, count=1, flags=re.M)
    text = text.replace(
        "# The stand-alone host over files on disk, beside the features on the page host interface.",
        "# The page host over files on disk, beside the features on the page host interface.")
    return text


edit("CMakeLists.txt", top_level)

if os.path.isdir("windows"):
    parts = [p for p in ["platform", "renderer", "com", "editor_binding", "dll", "standin"]
             if os.path.isfile(f"windows/{p}/CMakeLists.txt") or
             (p == "editor_binding" and os.path.isdir("windows/editor_binding"))]
    write("windows/CMakeLists.txt",
          "# What runs on Windows only: the Windows services of the dialogs and their renderer, COM\n"
          "# plumbing, the binding to the editor's object model, the COM server VelmoCls.dll and the\n"
          "# stand-in editor the tests drive.\n"
          + "".join(f"add_subdirectory({p})\n" for p in parts))

edit("windows/platform/CMakeLists.txt",
     lambda t: re.sub(r"\n*add_subdirectory\(renderer\)\n", "\n", t))


def split_dll(text):
    block = re.compile(r"# The editor's object model as a page host.*?velmo_layer\(velmo_editor_binding[^)]*\)\n\n?",
                       re.S)
    m = block.search(text)
    if not m:
        notice("windows/dll/CMakeLists.txt: no editor binding block found; left as it is")
        return text
    binding = m.group(0).rstrip("\n") + "\n"
    binding = re.sub(r"FOLDERS \S+", "FOLDERS windows/editor_binding", binding)
    write("windows/editor_binding/CMakeLists.txt", binding)
    text = text[:m.start()] + text[m.end():]
    return text.replace(
        "# The in-process COM server VelmoCls.dll: the type library, the automation objects over the\n"
        "# command class, and the binding to the editor's object model.",
        "# The in-process COM server VelmoCls.dll: the type library, and the automation objects over\n"
        "# the command class and the editor binding (windows/editor_binding/).")


if os.path.isdir("windows/editor_binding"):
    edit("windows/dll/CMakeLists.txt", split_dll)
edit("windows/dll/typelib/CMakeLists.txt",
     lambda t: t.replace("# widl turns resources/VelmoCls.idl", "# widl turns VelmoCls.idl (in windows/dll/)"))


def cpp_sources(folder):
    return sorted(f for f in os.listdir(folder) if f.endswith(".cpp")) if os.path.isdir(folder) else []


# The desktop: the portable part is an object library that each system's half takes in whole,
# since the portable viewer calls the archive and folders that each half defines.
if os.path.isdir("desktop"):
    sources = cpp_sources("desktop")
    write("desktop/CMakeLists.txt",
          "# The desktop of the console programs velmo and velmo.exe: the help viewer (a help archive\n"
          "# checked before it is read, pages in a private cache folder, help as text), the program's\n"
          "# folder and the shell's \"open\". What differs by system is in linux/ and windows/, each of\n"
          "# which takes this part in whole.\n"
          "add_library(velmo_desktop OBJECT\n" + "".join(f"  {s}\n" for s in sources) + ")\n"
          "velmo_layer(velmo_desktop FOLDERS desktop USES velmo_ui velmo_files velmo_html velmo_settings)\n"
          "if(WIN32)\n  add_subdirectory(windows)\nelse()\n  add_subdirectory(linux)\nendif()\n")
    gone = set(sources) | {"ini_text.cpp", "settings_store.cpp"}

    def system_half(text):
        lines = [l for l in text.split("\n")
                 if not (l.strip() in gone or re.match(r"\s*\$\{linux\}/", l) or
                         re.match(r"\s*set\(linux ", l))]
        text = "\n".join(lines)
        text = re.sub(r"(FOLDERS desktop/(?:linux|windows))(?: desktop/linux)?(\s+USES )",
                      r"\1\2velmo_desktop ", text)
        text = text.replace(
            "# The platform on Linux: help from the CHM archive shown as text (read by the page scanner) or in\n"
            "# the desktop's browser, the program's own folder, and the settings kept in an INI file.",
            "# The Linux half of the desktop: help from the CHM archive shown as text or in the desktop's\n"
            "# browser, and the program's own folder.")
        text = re.sub(r"# The platform of velmo\.exe:.*?%LOCALAPPDATA%.velmo\.",
                      "# The Windows half of the desktop, for velmo.exe (desktop/ holds the shared parts and the\n"
                      "# interfaces): the help file read through the system's ITStorage, help text from a small\n"
                      "# tag scanner, the shell's \"open\", the program's folder, and the help cache under\n"
                      "# %LOCALAPPDATA%\\\\velmo.", text, flags=re.S)
        return text
    edit("desktop/linux/CMakeLists.txt", system_half)
    edit("desktop/windows/CMakeLists.txt", system_half)

if os.path.isdir("file_host/settings"):
    write("file_host/settings/CMakeLists.txt",
          "# The saved settings of the console programs: an INI file per application, read and\n"
          "# changed line by line, written as a part of the page's transaction.\n"
          "add_library(velmo_settings STATIC\n"
          + "".join(f"  {s}\n" for s in cpp_sources("file_host/settings")) + ")\n"
          "velmo_layer(velmo_settings FOLDERS file_host/settings USES velmo_files)\n")


def sort_sources(text):
    """Each add_library's list of sources in order of their paths (variables last)."""
    def ordered(m):
        lines = m.group(2).split("\n")
        if not all(re.fullmatch(r"\s+\S+", l) for l in lines):
            return m.group(0)
        files = sorted(l for l in lines if not l.strip().startswith("$"))
        rest = [l for l in lines if l.strip().startswith("$")]
        return m.group(1) + "\n".join(files + rest) + m.group(3)
    return re.sub(r"(add_library\(\w+ (?:STATIC|SHARED|OBJECT)\n)(.*?)(\n\))", ordered, text,
                  flags=re.S)


# Sources listed by bare name in the CMakeLists of the folder they left, when they stay below it
# (cli/json_text.cpp -> cli/output/json_text.cpp, a file renamed in place).
def relist():
    for src, dst in moves:
        if not src.endswith(".cpp") or "/" not in src:
            continue
        folder = moved(os.path.dirname(src))
        if not dst.startswith(folder + "/"):
            continue
        name, new = os.path.basename(src), dst[len(folder) + 1:]
        edit(f"{folder}/CMakeLists.txt", lambda t: sort_sources(
            re.sub(r"(?<=[\s(])" + re.escape(name) + r"(?=[\s)])", new, t)))


relist()


def cli(text):
    subs = [d for d in ("commands", "output", "run") if os.path.isdir(f"cli/{d}")]
    return re.sub(r"velmo_layer\(velmo_cli FOLDERS cli\s+USES",
                  "velmo_layer(velmo_cli FOLDERS cli " + " ".join(f"cli/{d}" for d in subs) +
                  "\n            USES", text)


edit("cli/CMakeLists.txt", cli)
edit("file_host/CMakeLists.txt", lambda t: t.replace(
    "# The stand-alone host: the page host interface over an HTML file, its linked sheets and a site\n"
    "# folder on disk.",
    "# The page host over files: the page host interface over an HTML file, its linked sheets and\n"
    "# a site folder on disk."))
edit("cmake/VelmoLayers.cmake", lambda t: re.sub(
    r"# A folder owns the headers directly in it, so platform/ \(the seams\) and \S+ \(one\n"
    r"# implementation of them\) can belong to different layers.",
    "# A folder owns the headers directly in it, so file_host/ (the host) and file_host/files/ (the\n"
    "# files below it) can belong to different layers.", t))

# --- The README: its Layout and layer picture are the build's; paths named elsewhere follow.
LAYOUT = open(os.environ["REORG_LAYOUT"]).read()


def row_key(line):
    m = re.match(r"\| `([^`]+)` \|", line)
    return m.group(1) if m else None


def picture_key(line):
    m = re.match(r"([A-Za-z0-9_][A-Za-z0-9_/.-]*/)\s", line)
    return m.group(1) if m else None


def merged_layout(old):
    """This script's Layout, with the rows and picture lines of folders it does not know (the
    tests' folders, a folder added since) kept from the tree's own, in their order."""
    new = LAYOUT.rstrip("\n")
    mine = {row_key(l) for l in new.split("\n")} | {picture_key(l) for l in new.split("\n")}
    def unknown(key):
        return key and key not in mine and not map_path(key.split(" ")[0].rstrip(",")) and \
            os.path.exists(key.split(" ")[0].rstrip(","))
    rows = [l for l in old.split("\n") if unknown(row_key(l))]
    fence = re.search(r"```text\n(.*?)```", old, re.S)
    pictured = [l for l in (fence.group(1).split("\n") if fence else []) if unknown(picture_key(l))]
    if pictured:
        new = re.sub(r"(```text\n.*?)(```)", lambda m: m.group(1) + "\n".join(pictured) + "\n" + m.group(2),
                     new, count=1, flags=re.S)
    return new + ("\n" + "\n".join(rows) if rows else "") + "\n"


def readme(text):
    start = text.find("## Layout\n")
    end = text.find("\n## ", start + 1)
    if start < 0 or end < 0:
        notice("README.md: no Layout section found; not rewritten")
    else:
        text = text[:start] + merged_layout(text[start:end]) + "\n" + text[end:]

    def backticks(m):
        return "`" + rewrite_prose(m.group(1), True) + "`"
    head, layout_and_rest = (text[:start], text[start:]) if start >= 0 else (text, "")
    head = re.sub(r"`([^`\n]+)`", backticks, head)
    if start >= 0:
        lay_end = layout_and_rest.find("\n## ", 1)
        rest = layout_and_rest[lay_end:]
        rest = re.sub(r"`([^`\n]+)`", backticks, rest)
        layout_and_rest = layout_and_rest[:lay_end] + rest
    return head + layout_and_rest


edit("README.md", lambda t: name_the_host(readme(t)))
REORG_PY
REORG_LAYOUT="$work/layout.md" python3 "$work/rewrite.py" "$moves"

# The files written here are staged with the moves; then clang-format every C++ file the script
# changed (include order follows the new paths).
git add -u
for file in windows/CMakeLists.txt windows/editor_binding/CMakeLists.txt desktop/CMakeLists.txt \
            file_host/settings/CMakeLists.txt; do
  [ -f "$file" ] && git add "$file"
done
git diff --cached --name-only --diff-filter=AMR -- '*.cpp' '*.h' | while read -r file; do
  [ -f "$file" ] && clang-format -i "$file"
done
git add -u
echo "reorg: done; review with git status and commit"
