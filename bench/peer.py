#!/usr/bin/python3
"""The peer a user would otherwise write: velmo's page operations done with BeautifulSoup over
lxml (Debian's python3-bs4 and python3-lxml). It parses the whole page, edits the tree and writes
it back; it does not keep the rest of the page byte for byte as velmo does.

    peer.py script-head PAGE CODE
    peer.py botfound PAGE NAME
    peer.py erase-bot PAGE NAME
    peer.py style PAGE --face RRGGBB
    peer.py date PAGE
"""
import re
import sys

from bs4 import BeautifulSoup, Comment


def load(path):
    with open(path, encoding="utf-8", newline="") as f:
        return BeautifulSoup(f.read(), "lxml")


def save(soup, path):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(str(soup))


def webbot(comment, name, role):
    return re.match(r'\s*webbot\s+bot="%s"\s.*\b%s\b' % (re.escape(name), role), comment,
                    re.S) is not None


def start_comment(soup, name):
    for c in soup.find_all(string=lambda s: isinstance(s, Comment)):
        if webbot(c, name, "startspan"):
            return c
    return None


def script_head(soup, code):
    script = soup.new_tag("script", language="javascript")
    script.string = "\r\n" + code + "\r\n"
    soup.head.append(script)
    soup.head.append("\r\n")


def erase_bot(soup, name):
    start = start_comment(soup, name)
    if start is None:
        return
    doomed = [start]
    for node in start.next_siblings:
        doomed.append(node)
        if isinstance(node, Comment) and webbot(node, name, "endspan"):
            break
    for node in doomed:
        node.extract()


def style(soup, face):
    sheet = soup.find("style")
    if sheet is None:
        sheet = soup.new_tag("style")
        soup.head.append(sheet)
    css = sheet.string or ""
    decl = "scrollbar-face-color: #%s" % face
    rule = re.search(r"(^|\})\s*body\s*\{([^}]*)\}", css)
    if rule:
        body = re.sub(r"\s*scrollbar-face-color\s*:[^;}]*;?", "", rule.group(2)).rstrip()
        body = body + ("; " if body and not body.endswith(";") else " ") + decl + "; "
        css = css[:rule.start(2)] + body + css[rule.end(2):]
    else:
        css += "\r\nbody { %s; }\r\n" % decl
    sheet.string = css


DATE_BLOCK = ('<!--webbot bot="V_Date" startspan --><script language="javascript">\r\n'
              'var V_now = new Date();\r\ndocument.write(V_now.toDateString());\r\n'
              '</script><!--webbot bot="V_Date" endspan -->')


def date(soup):
    fragment = BeautifulSoup(DATE_BLOCK, "html.parser")
    for node in list(fragment.contents):
        soup.body.append(node)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, path = argv[1], argv[2]
    soup = load(path)
    if command == "botfound":
        print("true" if start_comment(soup, argv[3]) is not None else "false")
        return
    if command == "script-head":
        script_head(soup, argv[3])
    elif command == "erase-bot":
        erase_bot(soup, argv[3])
    elif command == "style":
        style(soup, argv[argv.index("--face") + 1])
    elif command == "date":
        date(soup)
    else:
        sys.exit("peer.py: unknown command " + command)
    save(soup, path)


if __name__ == "__main__":
    main(sys.argv)
