#!/usr/bin/python3
"""Writes the man pages of both programs from one plain-text source.

Usage: make_manpages.py SOURCE OUTDIR VERSION DATE

Source: "# name section" starts a page, "## TITLE" a section, "- TERM" a tagged paragraph
whose indented lines are its text, a line indented by four spaces an example; **bold** and
_italic_ inline.
"""
import os
import re
import sys


def inline(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    text = re.sub(r"\*\*(.+?)\*\*", r"\\fB\1\\fR", text)
    text = re.sub(r"(?<![\w\\])_(.+?)_(?!\w)", r"\\fI\1\\fR", text)
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def convert(lines, version, date):
    pages = {}
    out = None
    for raw in lines:
        line = raw.rstrip("\n")
        if line.startswith("# "):
            name, section = line[2:].split()
            out = pages.setdefault(f"{name}.{section}", [])
            out.append(f'.TH {name.upper()} {section} "{date}" "TrevalonMedia {version}" '
                       f'"User Commands"')
        elif out is None:
            continue
        elif line.startswith("## "):
            out.append(".SH " + line[3:].upper())
        elif line.startswith("- "):
            out += [".TP", inline(line[2:])]
        elif line.startswith("    "):
            out += [".PP", ".RS", ".nf", inline(line.strip()), ".fi", ".RE"]
        elif not line.strip():
            if out and not out[-1].startswith("."):
                out.append(".PP")
        else:
            out.append(inline(line.strip()))
    return pages


def main():
    source, outdir, version, date = sys.argv[1:5]
    with open(source, encoding="utf-8") as f:
        pages = convert(f.readlines(), version, date)
    os.makedirs(outdir, exist_ok=True)
    for name, body in pages.items():
        while body and body[-1] == ".PP":
            body.pop()
        with open(os.path.join(outdir, name), "w", encoding="utf-8") as f:
            f.write("\n".join(body) + "\n")


if __name__ == "__main__":
    main()
