#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns a guide in the plain-text layout of "Command line.txt" into a manual page.

The guide is the one source: a title line "program: what it is" underlined
with "=", paragraphs, headed sections underlined with "-", term lists (lines
that begin with two blanks, an option or a file name, then its description after
two blanks or more or on deeper lines below) and blocks
indented by four blanks or more, kept as they are. Sections named after a
command of the synopsis go under COMMANDS; the others become sections of their
own. Lists of files take the layout of option lists.

Usage: text-to-man.py GUIDE VERSION OUTPUT  (OUTPUT ending in .gz is gzipped,
reproducibly)
"""
import gzip
import re
import sys


def escape(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with a dot or a quote would be read as a request.
    return re.sub(r"^([.'])", r"\\&\1", text, flags=re.M)


def paragraphs(lines):
    """Blocks of lines between blank lines; an indented block right below a line
    of text ("Example:") is a block of its own."""
    block = []
    for line in lines:
        if not line.strip() or (block and not block[0].startswith(" ") and line.startswith("    ")):
            if block:
                yield block
            block = [line.rstrip()] if line.strip() else []
        else:
            block.append(line.rstrip())
    if block:
        yield block


def term_list(block):
    out = []
    for line in block:
        start = re.match(r"  (\S.*?)(?:\s{2,}(.*))?$", line)
        if start:
            out += [".TP", "\\fB" + escape(start.group(1)) + "\\fR"]
            if start.group(2):
                out.append(escape(start.group(2)))
        else:
            out.append(escape(line.strip()))
    return out


def body(lines):
    out = []
    for block in paragraphs(lines):
        if all(line.startswith("    ") for line in block):
            indent = min(len(line) - len(line.lstrip()) for line in block)
            out += [".PP", ".RS 4", ".nf"] + [escape(line[indent:]) for line in block] + [".fi", ".RE"]
        elif re.match(r"  \S", block[0]):
            out += term_list(block)
        else:
            out += [".PP"] + [escape(line.strip()) for line in block]
    return out


def sections(lines):
    """(heading, lines) pairs; the text before the first heading has the heading None."""
    heading, current = None, []
    index = 0
    while index < len(lines):
        if index + 1 < len(lines) and re.fullmatch(r"-{3,}", lines[index + 1].strip()) and lines[index].strip():
            yield heading, current
            heading, current = lines[index].strip(), []
            index += 2
            continue
        current.append(lines[index])
        index += 1
    yield heading, current


def manual(text, version):
    lines = text.splitlines()
    program, summary = (part.strip() for part in lines[0].split(":", 1))
    assert re.fullmatch(r"=+", lines[1].strip()), "the first line is the title, underlined with ="
    parts = list(sections(lines[2:]))
    intro = parts[0][1]
    synopsis = [line.strip() for line in intro if line.startswith("    " + program + " ")]
    description = [line for line in intro if not line.startswith("    " + program + " ")]
    commands = {line.split()[1] for line in synopsis if len(line.split()) > 1}

    out = [
        '.TH "%s" 1 "" "%s %s" "User Commands"' % (program.upper(), program, version),
        ".SH NAME",
        "%s \\- %s" % (escape(program), escape(summary)),
        ".SH SYNOPSIS",
        ".nf",
    ]
    out += [escape(line) for line in synopsis]
    out += [".fi", ".SH DESCRIPTION"] + body(description)
    in_commands = False
    for heading, content in parts[1:]:
        if heading in commands:
            if not in_commands:
                out.append(".SH COMMANDS")
                in_commands = True
            out.append(".SS " + escape(heading))
        else:
            out.append(".SH " + escape(heading.upper()))
        out += body(content)
    return "\n".join(out) + "\n"


def main():
    guide, version, output = sys.argv[1:4]
    with open(guide, encoding="utf-8") as source:
        page = manual(source.read(), version).encode("utf-8")
    if output.endswith(".gz"):
        with open(output, "wb") as target, gzip.GzipFile(filename="", mode="wb", fileobj=target, mtime=0,
                                                         compresslevel=9) as packed:
            packed.write(page)
    else:
        with open(output, "wb") as target:
            target.write(page)


if __name__ == "__main__":
    main()
