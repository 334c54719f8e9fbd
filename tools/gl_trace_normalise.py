#!/usr/bin/env python3
"""Normalises one `apitrace dump` of a capture run and splits it into
start-up, frames and shut-down, so that two builds' traces can be diffed.

    gl_trace_normalise.py DUMP BLOB_DIR FRAMES OUT_DIR

DUMP is `apitrace dump --multiline=no --color=never --blobs` output (one call
a line), made in BLOB_DIR so that the blob files it names are there. FRAMES
is how many frames the capture rendered. Writes, for each of the two ways of
naming GL objects (OUT_DIR/masked/ and OUT_DIR/numbered/), startup.txt,
frame-1.txt ... frame-FRAMES.txt and shutdown.txt. Exits 1, saying why, when
the trace does not have the shape of a capture run.

What varies from run to run of one build, and goes:
  - call numbers;
  - addresses (window-system handles, the configs GLX lists, callbacks);
    numbers small enough to be buffer offsets (glVertexAttribPointer's
    `pointer = 0xc`) stay, since a moved attribute is a real difference;
  - X resource ids of windows and drawables;
  - what the overlay measures: timer query results, and the text it shows
    (frame and pass times), which it streams into its buffers every frame.
    A buffer once given data for streaming (usage GL_STREAM_DRAW) is the
    overlay's: its glBufferData calls go (it grows them only when a frame's
    text is longer than any before), its glBufferSubData keeps only its
    target and offset, and a draw from it keeps only its mode and index
    type. The calls around them, their state and their order stay.
Blob contents (texture images, vertex data) are not in the dump; each blob
becomes its size and a hash of its bytes, so a changed upload shows.

GL object names (what glGen*/glCreate* return, and every later use) become
  masked:   `<texture>`, `<buffer>`, ... : the same token for every object of
            a kind, so sharing one object between models is no difference;
  numbered: `texture#1`, `texture#2`, ... in the order the objects are
            created (a name that GL hands out again after a delete is a new
            object), so sharing shows.
Name 0 (the default object, or none) stays 0 in both. Uniform locations stay
as they are: they are fixed per program.

Boundary between start-up and the first frame: the first glViewport the
program calls itself. Every pass of the frame loop starts with one and
start-up calls none (apitrace's own glViewport after glXMakeCurrent is
marked `// fake` and skipped). The first buffer swap cannot serve: GLFW
clears and swaps once while it creates the window. Each frame then ends with
its buffer swap; what follows the last one is shut-down.
"""
import hashlib
import os
import re
import sys

# Argument names under which GL passes object names, and their kind.
NAME_ARGUMENTS = {
    "texture": "texture", "textures": "texture",
    "buffer": "buffer", "buffers": "buffer",
    "array": "vertexarray", "arrays": "vertexarray", "vaobj": "vertexarray",
    "framebuffer": "framebuffer", "framebuffers": "framebuffer",
    "renderbuffer": "renderbuffer", "renderbuffers": "renderbuffer",
    "program": "program", "programs": "program",
    "shader": "shader", "shaders": "shader",
    "sampler": "sampler", "samplers": "sampler",
    "pipeline": "pipeline", "pipelines": "pipeline",
}
NAME_ARGUMENT = re.compile(
    r"(?<![\w.])(" + "|".join(NAME_ARGUMENTS) + r") = (&?)(\{[0-9, ]*\}|[0-9]+)")
# Calls whose name arguments are outputs: each name there is a new object.
GENERATES = re.compile(
    r"gl(Gen|Create)(Textures|Buffers|VertexArrays|Framebuffers|Renderbuffers|Samplers|ProgramPipelines)"
    r"(EXT|ARB|OES|APPLE)?$")
# Calls that return a new object's name.
RETURNS_NAME = {"glCreateProgram": "program", "glCreateProgramObjectARB": "program",
                "glCreateShaderProgramv": "program",
                "glCreateShader": "shader", "glCreateShaderObjectARB": "shader"}
# glActiveTexture's `texture` is a texture unit, not a name.
NOT_NAMES = {"glActiveTexture", "glActiveTextureARB", "glClientActiveTexture"}

WINDOW_SYSTEM = re.compile(r"(glX|egl|wgl)")
XID_ARGUMENT = re.compile(r"(?<![\w.])(drawable|draw|read|win|window|pixmap|pbuf) = [0-9]+")
RETURNS_XID = {"glXCreateWindow", "glXCreatePixmap", "glXCreatePbuffer", "glXCreateGLXPixmap"}
ANY_ADDRESS = re.compile(r"0x[0-9a-f]+")
# Above 4 GiB: heap, stack and library addresses of a 64-bit process, never
# an offset into one of the viewer's buffers.
LARGE_ADDRESS = re.compile(r"0x[0-9a-f]{9,}")
ADDRESS_LIST = re.compile(r"\{<address>(?:, <address>)+\}")
BLOB = re.compile(r'blob\("([^"]+)"\)')
CALL = re.compile(r"[0-9]+ (\w+)\(")
SWAPS = {"glXSwapBuffers", "eglSwapBuffers"}
BIND_BUFFER = re.compile(r"target = (\w+), buffer = ([0-9]+)")
TARGET = re.compile(r"target = (\w+)")
QUERY_RESULT = re.compile(r"(pname = GL_QUERY_RESULT, params = &)[0-9]+")
STREAMED_SIZE = re.compile(r"size = [0-9]+, data = blob\([^)]*\)")
STREAMED_DRAW = re.compile(r"count = [0-9]+(, type = \w+), indices = (NULL|0x[0-9a-f]+)")


def split_call(line):
    """Returns (function, arguments, rest) of one dumped call, or None for
    the dump's comment lines."""
    match = CALL.match(line)
    if match is None:
        return None
    start = match.end()
    depth, i, in_string = 0, start, False
    while i < len(line):
        c = line[i]
        if in_string:
            if c == "\\":
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
        elif c in "({":
            depth += 1
        elif c in ")}":
            if depth == 0:
                return match.group(1), line[start:i], line[i + 1:]
            depth -= 1
        i += 1
    raise ValueError("unbalanced call: " + line[:200])


def outside_strings(text, change):
    """Applies change() to the parts of text outside string literals, so
    that shader sources are never rewritten."""
    out, piece, i, in_string = [], [], 0, False
    while i < len(text):
        c = text[i]
        if in_string:
            piece.append(c)
            if c == "\\" and i + 1 < len(text):
                piece.append(text[i + 1])
                i += 1
            elif c == '"':
                out.append("".join(piece))
                piece, in_string = [], False
        elif c == '"':
            out.append(change("".join(piece)))
            piece, in_string = [c], True
        else:
            piece.append(c)
        i += 1
    out.append("".join(piece) if in_string else change("".join(piece)))
    return "".join(out)


class Names:
    """Rewrites object names one way: masked or numbered."""

    def __init__(self, numbered):
        self.numbered = numbered
        self.created = {}   # kind -> how many objects so far
        self.current = {}   # (kind, GL name) -> number of the object it names now

    def new(self, kind, name):
        self.created[kind] = self.created.get(kind, 0) + 1
        self.current[(kind, name)] = self.created[kind]

    def token(self, kind, name):
        if name == 0:
            return "0"
        if not self.numbered:
            return "<%s>" % kind
        if (kind, name) not in self.current:
            self.new(kind, name)
        return "%s#%d" % (kind, self.current[(kind, name)])

    def rewrite(self, function, arguments, rest):
        generates = GENERATES.match(function) is not None

        def one_argument(match):
            kind = NAME_ARGUMENTS[match.group(1)]
            value = match.group(3)
            names = [int(n) for n in re.findall(r"[0-9]+", value)]
            if generates:
                for name in names:
                    self.new(kind, name)
            tokens = [self.token(kind, n) for n in names]
            shown = "{" + ", ".join(tokens) + "}" if value.startswith("{") else tokens[0]
            return "%s = %s%s" % (match.group(1), match.group(2), shown)

        if function not in NOT_NAMES:
            arguments = outside_strings(arguments, lambda t: NAME_ARGUMENT.sub(one_argument, t))
        kind = RETURNS_NAME.get(function)
        returned = re.fullmatch(r" = ([0-9]+)", rest)
        if kind is not None and returned is not None:
            name = int(returned.group(1))
            self.new(kind, name)
            rest = " = " + self.token(kind, name)
        return "%s(%s)%s" % (function, arguments, rest)


def blob_summary(blob_dir):
    def summary(match):
        with open(os.path.join(blob_dir, match.group(1)), "rb") as blob:
            data = blob.read()
        return "blob(%d bytes, sha256 %s)" % (len(data), hashlib.sha256(data).hexdigest()[:16])
    return summary


def without_run_values(function, arguments, rest):
    """Masks what differs between two runs of one build."""
    if WINDOW_SYSTEM.match(function):
        # GLX lists hundreds of configs: one token says how many.
        addresses = lambda t: ADDRESS_LIST.sub(lambda m: "{<address> x%d}" % m.group(0).count("<address>"),
                                               ANY_ADDRESS.sub("<address>", t))
        arguments = XID_ARGUMENT.sub(lambda m: m.group(1) + " = <xid>", addresses(arguments))
        rest = addresses(rest)
        if function in RETURNS_XID:
            rest = re.sub(r" = [0-9]+$", " = <xid>", rest)
        return arguments, rest
    mask = lambda t: LARGE_ADDRESS.sub("<address>", t)
    return outside_strings(arguments, mask), outside_strings(rest, mask)


class Streamed:
    """Masks what the overlay streams, from the raw calls in order (see the
    module's notes): tracks which buffer each target has bound and which
    buffers take streamed data."""

    def __init__(self):
        self.bound = {}      # target -> GL name
        self.streamed = set()

    def is_bound_streamed(self, target):
        return self.bound.get(target) in self.streamed

    def rewrite(self, function, arguments, rest):
        """Returns the call as it is to be compared, or None to leave it out."""
        if function == "glBindBuffer":
            match = BIND_BUFFER.search(arguments)
            if match:
                self.bound[match.group(1)] = int(match.group(2))
        elif function == "glBindVertexArray":
            # A vertex array brings its own element buffer, which the calls
            # do not say: such a buffer counts as not streamed.
            self.bound.pop("GL_ELEMENT_ARRAY_BUFFER", None)
        elif function == "glBufferData" and "usage = GL_STREAM_DRAW" in arguments:
            target = TARGET.search(arguments).group(1)
            self.streamed.add(self.bound.get(target))
            return None
        elif function == "glBufferSubData":
            target = TARGET.search(arguments).group(1)
            if self.is_bound_streamed(target):
                arguments = STREAMED_SIZE.sub("size = <streamed>, data = <streamed>", arguments)
        elif function.startswith("glDrawElements") and self.is_bound_streamed("GL_ELEMENT_ARRAY_BUFFER"):
            arguments = STREAMED_DRAW.sub(r"count = <streamed>\1, indices = <streamed>", arguments)
        elif function.startswith("glGetQueryObject"):
            arguments = QUERY_RESULT.sub(r"\1<measured>", arguments)
        return function, arguments, rest


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    dump, blob_dir, frames, out_dir = argv[1], argv[2], int(argv[3]), argv[4]
    calls = []
    streamed = Streamed()
    with open(dump, encoding="utf-8", errors="surrogateescape") as lines:
        for line in lines:
            parts = split_call(line.rstrip("\n"))
            if parts is None:
                continue
            function, arguments, rest = parts
            call = streamed.rewrite(function, arguments, rest)
            if call is None:
                continue
            function, arguments, rest = call
            arguments, rest = without_run_values(function, BLOB.sub(blob_summary(blob_dir), arguments), rest)
            calls.append((function, arguments, rest))

    first_frame = next((i for i, (f, _, rest) in enumerate(calls)
                        if f == "glViewport" and not rest.endswith("// fake")), None)
    if first_frame is None:
        print("no glViewport in the trace: the capture drew no frame", file=sys.stderr)
        return 1
    segments = [("startup", calls[:first_frame])]
    start = first_frame
    for i in range(first_frame, len(calls)):
        if calls[i][0] in SWAPS:
            segments.append(("frame-%d" % (len(segments)), calls[start:i + 1]))
            start = i + 1
    segments.append(("shutdown", calls[start:]))
    if len(segments) != frames + 2:
        print("the trace has %d buffer swaps after the first frame began, not %d: "
              "frames were not split at swaps" % (len(segments) - 2, frames), file=sys.stderr)
        return 1

    for numbered, folder in ((False, "masked"), (True, "numbered")):
        names = Names(numbered)
        os.makedirs(os.path.join(out_dir, folder), exist_ok=True)
        for segment, segment_calls in segments:
            with open(os.path.join(out_dir, folder, segment + ".txt"), "w", encoding="utf-8",
                      errors="surrogateescape") as out:
                for call in segment_calls:
                    out.write(names.rewrite(*call) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
