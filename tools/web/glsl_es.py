#!/usr/bin/env python3
"""Turns one of the viewer's GLSL 3.30 core shaders into GLSL ES 3.00.

    glsl_es.py IN OUT

The browser build draws through WebGL 2, which takes only GLSL ES 3.00, and
its shaders are made from the desktop files at build time so that the two
never drift apart. The changes are mechanical:

- "#version 330 core" becomes "#version 300 es", followed by one line of
  default precisions (ES has no default for floats in the fragment stage)
  and "#line 2", so that every later line keeps its number in the
  compiler's messages. The viewer inserts its #define lines right after the
  #version line and restores the numbering itself; that still holds.
- in/out interface blocks, which ES 3.00 does not have, become one plain
  varying per member named <Block>_<member>: both stages name the block the
  same, so their varyings still match by name. "instance.member" becomes
  "<Block>_member". Each member's declaration stays on its own line.

Anything else it does not understand (a geometry shader, a block array, a
block without an instance name, ...) ends it with a message and status 1,
rather than writing a shader that fails later in the browser.
"""

import re
import sys

PRECISION = ("precision highp float; precision highp int; "
             "precision highp sampler2D; precision highp samplerCube;")

INTERPOLATION = {"flat", "smooth", "centroid"}
PRECISIONS = {"highp", "mediump", "lowp"}
# Varying types GLSL ES 3.00 allows: no bool, no struct, no sampler.
VARYING_TYPE = re.compile(r"(?:float|int|uint|[iu]?vec[234]|mat[234](?:x[234])?)$")
IDENTIFIER = r"[A-Za-z_]\w*"


class ConversionError(Exception):
    pass


def blank_comments(text):
    """The text with every comment's characters turned into spaces, newlines
    kept, so that offsets and line numbers still match the original."""
    out = []
    i, n = 0, len(text)
    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            if end < 0:
                raise ConversionError(f"line {line_of(text, i)}: comment is never closed")
            end += 2
            out.append("".join(c if c == "\n" else " " for c in text[i:end]))
            i = end
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def parse_members(code, body_start, body_end, block, where):
    """The members of a block: (offset, qualifiers, precision, type, name,
    array suffix) for each declarator, in order."""
    members = []
    body = code[body_start:body_end]
    position = 0
    for piece in body.split(";"):
        start = body_start + position
        position += len(piece) + 1
        declaration = piece.strip()
        if not declaration:
            continue
        offset = start + (len(piece) - len(piece.lstrip()))
        line = line_of(code, offset)
        # Qualifiers, the type, then declarators that begin with a name.
        match = re.fullmatch(rf"((?:\w+\s+)*)(\w+)\s+({IDENTIFIER}.*)", declaration, re.S)
        if not match:
            raise ConversionError(f"line {line}: block {block}: cannot read member '{declaration}'")
        words, type_name, declarators = match.group(1).split(), match.group(2), match.group(3)
        qualifiers, precision = [], ""
        for word in words:
            if word in INTERPOLATION:
                qualifiers.append(word)
            elif word in PRECISIONS:
                precision = word
            else:
                raise ConversionError(
                    f"line {line}: block {block}: qualifier '{word}' has no GLSL ES 3.00 varying form")
        if not VARYING_TYPE.match(type_name):
            raise ConversionError(
                f"line {line}: block {block}: a {type_name} cannot be a varying in GLSL ES 3.00")
        for declarator in declarators.split(","):
            found = re.fullmatch(rf"\s*({IDENTIFIER})\s*(\[\s*\w+\s*\])?\s*", declarator)
            if not found:
                raise ConversionError(
                    f"line {line}: block {block}: cannot read member '{declarator.strip()}' ({where})")
            members.append((offset, qualifiers, precision, type_name, found.group(1),
                            (found.group(2) or "").replace(" ", "")))
    if not members:
        raise ConversionError(f"line {line_of(code, body_start)}: block {block} is empty")
    return members


BLOCK = re.compile(
    rf"\b(in|out)\s+({IDENTIFIER})\s*\{{([^{{}}]*)\}}\s*({IDENTIFIER})?\s*(\[[^\]]*\])?\s*;")
# Any in/out block at all, so that one the pattern above cannot take (nested
# braces, say) is refused rather than left in place.
ANY_BLOCK = re.compile(rf"\b(in|out)\s+{IDENTIFIER}\s*\{{")


def convert(text, stage):
    code = blank_comments(text)
    first_end = text.find("\n")
    first_line = text if first_end < 0 else text[:first_end]
    if not re.fullmatch(r"\s*#\s*version\s+330\s+core\s*", first_line):
        raise ConversionError("line 1: expected '#version 330 core'")
    for word, why in (("EmitVertex", "a geometry shader"), ("EndPrimitive", "a geometry shader"),
                      ("gl_in", "a geometry or tessellation shader"),
                      ("gl_Layer", "layered rendering, which WebGL 2 lacks")):
        found = re.search(rf"\b{word}\b", code)
        if found:
            raise ConversionError(f"line {line_of(code, found.start())}: '{word}': {why}")
    found = re.search(r"\blayout\s*\(\s*(triangles|points|lines|triangle_strip|line_strip|"
                      r"max_vertices|vertices)\b", code)
    if found:
        raise ConversionError(f"line {line_of(code, found.start())}: a geometry or tessellation layout")

    edits = []  # (start, end, replacement), applied from the end
    renames = []  # (instance, block, member names)
    taken = set()
    for block in BLOCK.finditer(code):
        direction, name, instance, array = block.group(1), block.group(2), block.group(4), block.group(5)
        line = line_of(code, block.start())
        expected = "out" if stage == "vertex" else "in"
        if direction != expected:
            raise ConversionError(f"line {line}: an '{direction}' block in the {stage} stage")
        if array:
            raise ConversionError(f"line {line}: block {name} is an array ({instance}{array})")
        if not instance:
            raise ConversionError(f"line {line}: block {name} has no instance name")
        # Qualifiers in front of the block (layout, interpolation) have no
        # place in the flattened form.
        before = code[:block.start()]
        lead = before[max(before.rfind(";"), before.rfind("}"), before.rfind("{")) + 1:]
        lead = " ".join(part for part in lead.split("\n") if not part.lstrip().startswith("#"))
        if lead.strip():
            raise ConversionError(f"line {line}: '{lead.strip()}' before block {name}")
        members = parse_members(code, block.start(3), block.end(3), name, f"in {name}")
        # One line of output per line of the block: each flattened member on
        # the line its declaration started, the rest left empty.
        lines = [[] for _ in range(code.count("\n", block.start(), block.end()) + 1)]
        for offset, qualifiers, precision, type_name, member, member_array in members:
            flat_name = f"{name}_{member}"
            if flat_name in taken:
                raise ConversionError(f"line {line}: {flat_name} is declared twice")
            taken.add(flat_name)
            words = qualifiers + [direction] + ([precision] if precision else []) + [type_name]
            lines[code.count("\n", block.start(), offset)].append(
                f"{' '.join(words)} {flat_name}{member_array};")
        edits.append((block.start(), block.end(), "\n".join(" ".join(parts) for parts in lines)))
        renames.append((instance, name, {m[4] for m in members}, block.start(), block.end()))

    handled = {(b.start(), b.end()) for b in BLOCK.finditer(code)}
    for block in ANY_BLOCK.finditer(code):
        if not any(start == block.start() for start, _ in handled):
            raise ConversionError(f"line {line_of(code, block.start())}: cannot read this in/out block")

    for instance, name, members, block_start, block_end in renames:
        for use in re.finditer(rf"\b{instance}\b", code):
            if block_start <= use.start() < block_end:
                continue
            access = re.compile(rf"{instance}\s*\.\s*({IDENTIFIER})").match(code, use.start())
            if not access:
                raise ConversionError(
                    f"line {line_of(code, use.start())}: {instance} is used other than by member")
            if access.group(1) not in members:
                raise ConversionError(
                    f"line {line_of(code, use.start())}: block {name} has no member {access.group(1)}")
            edits.append((use.start(), access.end(), f"{name}_{access.group(1)}"))

    result = text
    for start, end, replacement in sorted(edits, reverse=True):
        result = result[:start] + replacement + result[end:]
    rest = result[len(first_line):] if first_end >= 0 else ""
    return f"#version 300 es\n{PRECISION}\n#line 2{rest}"


def main(argv):
    if len(argv) != 3:
        print("usage: glsl_es.py IN OUT", file=sys.stderr)
        return 2
    source, target = argv[1], argv[2]
    if source.endswith(".vs") or source.endswith(".vert"):
        stage = "vertex"
    elif source.endswith(".fs") or source.endswith(".frag"):
        stage = "fragment"
    else:
        print(f"glsl_es.py: {source}: only vertex (.vs) and fragment (.fs) shaders are converted; "
              "WebGL 2 has no other stage", file=sys.stderr)
        return 1
    try:
        with open(source, encoding="utf-8") as f:
            text = f.read()
        converted = convert(text, stage)
        with open(target, "w", encoding="utf-8") as f:
            f.write(converted)
    except (ConversionError, OSError, UnicodeDecodeError) as error:
        print(f"glsl_es.py: {source}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
