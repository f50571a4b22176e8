#!/usr/bin/env python3
"""Writes a gzip-compressed man page from a program's own --help and --version texts.

    make-manpage.py --program PATH --name TEXT --date YYYY-MM-DD --output FILE.1.gz
                    [--commands] [--see-also PAGE(1)]...

The help text is read as the program prints it: a "Usage:" line (and its indented
continuation lines), paragraphs separated by empty lines, and lists under headings such
as "Options:" whose entries are "  TERM   description" (the description may also start on
the next, further indented line). A paragraph beginning with "Exit status:" becomes the
EXIT STATUS section. Indented lines inside an ordinary paragraph are kept as they stand.
With --commands, every command of the "Commands:" list gets a subsection made from
"PROGRAM COMMAND --help", so that a new command reaches the page without an edit here.
"""

import argparse
import gzip
import io
import re
import subprocess
import sys

HEADING = re.compile(r"^([A-Z][A-Za-z ]{0,40}):$")
ENTRY = re.compile(r"^(\s+)(\S.*?)(?:\s{2,}(\S.*))?$")
OPTION = re.compile(r"(?<![\w-])(-{1,2}[A-Za-z0-9][\w-]*)")
PLACEHOLDER = re.compile(r"^[A-Z][A-Z0-9_]*(\.\.\.)?$")


def run(program, *args):
    result = subprocess.run([program, *args], capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"make-manpage: '{program} {' '.join(args)}' failed: {result.stderr.strip()}")
    return result.stdout


def escape(text):
    """Text for a groff line: backslashes, minus signs of options, control characters."""
    text = text.replace("\\", "\\e")
    return OPTION.sub(lambda m: m.group(1).replace("-", "\\-"), text)


def line(text):
    """One output line; a leading dot or apostrophe would make it a request."""
    text = escape(text.strip())
    return "\\&" + text if text[:1] in (".", "'") else text


def quoted(text):
    return '"' + escape(text).replace('"', '\\(dq') + '"'


def styled_term(term):
    """Options and words bold, placeholders such as FILE or NAME|NUMBER italic."""
    words = []
    for word in term.split(" "):
        parts = word.rstrip(",").split("|")
        if all(PLACEHOLDER.match(p) for p in parts if p):
            styled = "|".join(f"\\fI{escape(p)}\\fR" for p in parts)
        else:
            styled = f"\\fB{escape(word.rstrip(','))}\\fR"
        words.append(styled + ("," if word.endswith(",") and word != "," else ""))
    return " ".join(words)


def split_help(text):
    """The usage lines and the paragraphs (lists of lines) of a help text."""
    lines = text.rstrip("\n").split("\n")
    usage = []
    if lines and lines[0].startswith("Usage: "):
        usage.append(lines.pop(0)[len("Usage: "):].strip())
        while lines and lines[0].startswith(" ") and lines[0].strip():
            usage.append(lines.pop(0).strip())
    blocks, block = [], []
    for raw in lines + [""]:
        if raw.strip():
            block.append(raw.rstrip())
        elif block:
            blocks.append(block)
            block = []
    return usage, blocks


def list_entries(lines):
    """(term, description) pairs of an indented list, and the lines after it."""
    entries = []
    index = 0
    term_indent = None
    while index < len(lines) and lines[index].startswith(" "):
        match = ENTRY.match(lines[index])
        indent = len(match.group(1))
        if term_indent is None or indent <= term_indent:
            term_indent = indent
            entries.append([match.group(2), [match.group(3)] if match.group(3) else []])
        else:
            entries[-1][1].append(lines[index].strip())
        index += 1
    return entries, lines[index:]


def render_list(entries, literal_terms):
    out = []
    for term, description in entries:
        out.append(".TP")
        out.append(f"\\fB{escape(term)}\\fR" if literal_terms else styled_term(term))
        out.extend(line(text) for text in description)
    return out


def render_paragraph(lines):
    """Unindented lines are filled text; indented ones are kept as they stand."""
    out = [".PP"]
    index = 0
    while index < len(lines):
        if not lines[index].startswith(" "):
            out.append(line(lines[index]))
            index += 1
            continue
        kept = []
        while index < len(lines) and lines[index].startswith(" "):
            kept.append(lines[index])
            index += 1
        indent = min(len(k) - len(k.lstrip()) for k in kept)
        out += [".RS 4", ".nf"] + [line(k[indent:]) if not k[indent:].startswith(" ")
                                   else escape(k[indent:]) for k in kept] + [".fi", ".RE"]
        if index < len(lines):
            out.append(".PP")
    return out


def render_blocks(blocks, heading_macro, sections):
    """Blocks of a help text; headings open sections (or bold captions inside one)."""
    out = []
    for block in blocks:
        heading = HEADING.match(block[0])
        if heading:
            name = heading.group(1)
            if heading_macro == ".SH":
                out.append(f".SH {quoted(name.upper())}")
            else:
                out += [".PP", f"\\fB{escape(name)}:\\fR"]
            entries, rest = list_entries(block[1:])
            out += render_list(entries, literal_terms=name == "Examples")
            if rest:
                out += render_paragraph(rest)
            sections.append(name)
        elif block[0].startswith("Exit status:") and heading_macro == ".SH":
            out.append('.SH "EXIT STATUS"')
            out += render_paragraph([block[0][len("Exit status:"):].strip()] + block[1:])
            sections.append("Exit status")
        else:
            out += render_paragraph(block)
    return out


def synopsis_word(word):
    """Brackets and bars stay plain, placeholders are italic, options bold."""
    pieces = re.split(r"([\[\]|])", word)
    styled = []
    for piece in pieces:
        if not piece or piece in "[]|":
            styled.append(piece)
        elif PLACEHOLDER.match(piece):
            styled.append(f"\\fI{escape(piece)}\\fR")
        elif piece.startswith("-"):
            styled.append(f"\\fB{escape(piece)}\\fR")
        else:
            styled.append(escape(piece))
    return "".join(styled)


def synopsis(usages):
    out = [".SH SYNOPSIS"]
    for index, usage in enumerate(usages):
        if index:
            out.append(".br")
        for number, text in enumerate(usage):
            words = text.split(" ")
            program = []
            while words and re.match(r"^[a-z][a-z0-9-]*$", words[0]):
                program.append(words.pop(0))
            styled = (f"\\fB{escape(' '.join(program))}\\fR " if program else "") + " ".join(
                synopsis_word(w) for w in words)
            out.append(("\\ \\ \\ \\ " if number else "") + styled.strip())
            if number + 1 < len(usage):
                out.append(".br")
    return out


def command_names(blocks):
    for block in blocks:
        if block[0] == "Commands:":
            entries, _ = list_entries(block[1:])
            return [term for term, _ in entries]
    return []


def manual(args):
    program = args.program
    name = program.rsplit("/", 1)[-1]
    version = run(program, "--version").strip()
    usage, blocks = split_help(run(program, "--help"))
    usages = [usage]
    description = []
    while blocks and not HEADING.match(blocks[0][0]) and not blocks[0][0].startswith("Exit status:"):
        description.append(blocks.pop(0))

    out = [f".TH {quoted(name.upper())} 1 {quoted(args.date)} {quoted(version)} \"User Commands\"",
           ".SH NAME", f"{escape(name)} \\- {escape(args.name)}"]
    body = [".SH DESCRIPTION"]
    for block in description:
        body += render_paragraph(block)
    sections = []
    for block in blocks:
        body += render_blocks([block], ".SH", sections)
        if block[0] == "Commands:" and args.commands:
            for command in command_names([block]):
                command_usage, command_blocks = split_help(run(program, command, "--help"))
                usages.append(command_usage)
                body.append(f".SS {quoted(name + ' ' + command)}")
                body += render_blocks(command_blocks, ".PP", [])
    out += synopsis(usages) + body
    if args.see_also:
        out += [".SH \"SEE ALSO\"",
                ",\n".join(f"\\fB{escape(p.split('(')[0])}\\fR({p.split('(')[1]}" for p in args.see_also)]
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--name", required=True, help="the one-line description of NAME")
    parser.add_argument("--date", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--commands", action="store_true")
    parser.add_argument("--see-also", action="append", default=[])
    args = parser.parse_args()
    page = manual(args).encode("utf-8")
    # Reproducible: no name and no time in the gzip header; the strongest compression.
    buffer = io.BytesIO()
    with gzip.GzipFile(filename="", mode="wb", fileobj=buffer, compresslevel=9, mtime=0) as out:
        out.write(page)
    with open(args.output, "wb") as file:
        file.write(buffer.getvalue())


if __name__ == "__main__":
    main()
