#!/usr/bin/env python3
"""Checks a finished wizard report against an expected template.

Template (UTF-8): the report's text with every CR LF written as a line
break; the template's last line break is not part of it. A lone CR or LF of
the report is written {{CR}} or {{LF}}; a line that ends with {{-}} joins the
next one without a break. Placeholders:
  {{name}}          a value the caller knows (the stand-ins' ports...): exact
  {{name:REGEX}}    a value that depends on the machine: matched by pattern
  {{@FILE}}         the text of another template (its last line break dropped)

The report must be windows-1251 text. The files of a folder come in the order
the file system lists them, so the "File" entries of "ServerFiles" and
"ClientFiles" are compared in sorted order (their numbers must still run
0, 1, 2...).

  report_check.py REPORT TEMPLATE [name=value...]
"""

import re
import sys
from pathlib import Path

PLACEHOLDER = re.compile(r"\{\{([A-Za-z_][A-Za-z0-9_]*|-|CR|LF)(?::(.*?))?\}\}(?!\})")
FILE_LIST = re.compile(r"<(ServerFiles|ClientFiles)>(.*?)</\1>", re.S)
FILE_ENTRY = re.compile(r"<File(\d+)>([^<]*)</File\1>\r\n")


class Mismatch(Exception):
    pass


def expand_includes(text, folder):
    def include(m):
        part = (folder / m.group(1)).read_text(encoding="utf-8")
        return expand_includes(part[:-1] if part.endswith("\n") else part, folder)
    return re.sub(r"\{\{@([\w.-]+)\}\}", include, text)


def parse_template(text, values):
    """The template as a list of (regex, description) segments."""
    if text.endswith("\n"):
        text = text[:-1]
    text = re.sub(r"\{\{-\}\}\n", "", text).replace("\n", "\r\n")
    segments = []
    position = 0
    for m in PLACEHOLDER.finditer(text):
        if m.start() > position:
            literal = text[position:m.start()]
            segments.append((re.escape(literal), literal))
        name, pattern = m.group(1), m.group(2)
        if name in ("CR", "LF"):
            segments.append(("\r" if name == "CR" else "\n", "{{%s}}" % name))
        elif pattern is not None:
            segments.append(("(?:%s)" % pattern, "{{%s:%s}}" % (name, pattern)))
        elif name in values:
            segments.append((re.escape(values[name]), "{{%s}} = %r" % (name, values[name])))
        else:
            raise Mismatch("template uses {{%s}}, which the caller did not give" % name)
        position = m.end()
    if position < len(text):
        segments.append((re.escape(text[position:]), text[position:]))
    return segments


def sort_file_lists(report):
    def sort_one(m):
        entries = FILE_ENTRY.findall(m.group(2))
        if "".join("<File%s>%s</File%s>\r\n" % (n, v, n) for n, v in entries) != m.group(2):
            return m.group(0)  # not a plain list: left for the comparison to show
        if [int(n) for n, _ in entries] != list(range(len(entries))):
            raise Mismatch("%s numbers its files %s" % (m.group(1), [n for n, _ in entries]))
        body = "".join("<File%d>%s</File%d>\r\n" % (i, v, i) for i, v in enumerate(sorted(v for _, v in entries)))
        return "<%s>%s</%s>" % (m.group(1), body, m.group(1))
    return FILE_LIST.sub(sort_one, report)


def first_difference(segments, report):
    """Where the report stops following the template, for the message."""
    matched_to = 0
    for count in range(1, len(segments) + 1):
        m = re.compile("".join(s for s, _ in segments[:count]), re.S).match(report)
        if not m:
            shown = segments[count - 1][1]
            if not shown.startswith("{{"):  # a literal: show it from its first differing character
                same = 0
                while same < len(shown) and report[matched_to + same:matched_to + same + 1] == shown[same]:
                    same += 1
                matched_to, shown = matched_to + same, shown[same:]
            got = report[matched_to:matched_to + 120]
            return "at character %d: expected %r\n  got: %r" % (matched_to, shown[:120], got)
        matched_to = m.end()
    return "the report goes on after the template ends: %r" % report[matched_to:matched_to + 160]


def check(report_bytes, template_text, values):
    """Raises Mismatch with a readable message when the report differs."""
    try:
        report = report_bytes.decode("cp1251")
    except UnicodeDecodeError as e:
        raise Mismatch("the report is not windows-1251 text: %s" % e)
    report = sort_file_lists(report)
    segments = parse_template(template_text, values)
    if not re.compile("".join(s for s, _ in segments), re.S).fullmatch(report):
        raise Mismatch(first_difference(segments, report))


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    values = dict(a.split("=", 1) for a in argv[2:])
    with open(argv[0], "rb") as f:
        report = f.read()
    with open(argv[1], encoding="utf-8") as f:
        template = expand_includes(f.read(), Path(argv[1]).parent)
    try:
        check(report, template, values)
    except Mismatch as e:
        print("FAIL: report differs from %s %s" % (argv[1], e))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
