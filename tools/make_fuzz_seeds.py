#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into OUT/<target>/ (OUT is emptied first).

- fuzz_bitmap: the BMP test suite's good, questionable and bad files, and small pictures that
  ImageMagick writes in every BMP variant it has: Windows 2 (12-byte header), 3 (40) and 5
  (124) headers, 1, 4, 8, 16, 24 and 32 bits, RLE8, bit fields, with and without alpha.
- fuzz_section_reader: the sample game's content files as they are, the texts of the content
  readers' tests, and files whose CR LF or 0x1A sits at the stream's 64 KiB refill.
- fuzz_content: the same files in the content target's format (six fields separated by NUL
  bytes: the paths and texts of a definition, a character package and a cell package): the
  sample game once per cell package, with its picture paths as they are and with them pointing
  at the picture the target provides, and each test text in its place among sample files.
- fuzz_sound: the sample game's warning sound, and short WAV files in every encoding SDL
  decodes (PCM of 8, 16, 24 and 32 bits, float, A-law, mu-law, MS and IMA ADPCM, the extensible
  header), mono and stereo, with extra chunks before and after the sound data.

Usage: tools/make_fuzz_seeds.py OUT
"""

import hashlib
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
GAME = ROOT / "game"
BMPSUITE = ROOT / "tests" / "display" / "bmpsuite"
CONTENT_TESTS = ROOT / "tests" / "content"
CONVERT = "/usr/bin/convert"

# ImageMagick variants: name, source picture ("plain" or "alpha"), options before the output.
VARIANTS = [
    ("v5-rgb24", "plain", ["-type", "TrueColor"], "BMP"),
    ("v3-rgb24", "plain", ["-type", "TrueColor"], "BMP3"),
    ("v2-rgb24", "plain", ["-type", "TrueColor"], "BMP2"),
    ("v4-rgb24", "plain", ["-type", "TrueColor", "-define", "bmp:format=bmp4"], "BMP"),
    ("v5-pal8", "plain", ["-type", "Palette", "-compress", "None"], "BMP"),
    ("v5-rle8", "plain", ["-type", "Palette", "-compress", "RLE"], "BMP"),
    ("v3-pal8", "plain", ["-type", "Palette", "-compress", "None"], "BMP3"),
    ("v3-rle8", "plain", ["-type", "Palette", "-compress", "RLE"], "BMP3"),
    ("v2-pal8", "plain", ["-type", "Palette"], "BMP2"),
    ("v3-pal4", "plain", ["-colors", "16", "-compress", "None"], "BMP3"),
    ("v3-pal4-rle", "plain", ["-colors", "16", "-compress", "RLE"], "BMP3"),
    ("v2-pal4", "plain", ["-colors", "16"], "BMP2"),
    ("v5-pal1", "plain", ["-monochrome", "-compress", "None"], "BMP"),
    ("v3-pal1", "plain", ["-monochrome", "-compress", "None"], "BMP3"),
    ("v2-pal1", "plain", ["-monochrome"], "BMP2"),
    ("v5-gray", "plain", ["-type", "Grayscale", "-compress", "None"], "BMP"),
    ("v3-gray-pal8", "plain", ["-colorspace", "Gray", "-type", "Palette", "-compress", "None"],
     "BMP3"),
    ("v5-rgb565", "plain", ["-define", "bmp:subtype=RGB565"], "BMP"),
    ("v5-rgb555", "plain", ["-define", "bmp:subtype=RGB555"], "BMP"),
    ("v5-argb4444", "alpha", ["-define", "bmp:subtype=ARGB4444"], "BMP"),
    ("v5-argb1555", "alpha", ["-define", "bmp:subtype=ARGB1555"], "BMP"),
    ("v5-argb8888", "alpha", [], "BMP"),
    ("v4-argb8888", "alpha", ["-define", "bmp:format=bmp4"], "BMP"),
    ("v3-argb8888", "alpha", ["-define", "bmp3:alpha=true"], "BMP3"),
]
# An odd width, so that rows are padded, and the smallest picture there is.
SIZES = [(13, 9), (1, 1)]

# Where the content target's own picture is found.
TARGET_PICTURE = "picture.bmp"


def write_unique(folder, name, data, seen):
    """Writes `data` as folder/name unless the same bytes were written there already."""
    digest = hashlib.sha1(data).hexdigest()
    if digest in seen:
        return
    seen.add(digest)
    (folder / name).write_bytes(data)


def bitmap_seeds(out):
    seen = set()
    for kind in ("g", "q", "b"):
        for picture in sorted((BMPSUITE / kind).glob("*.bmp")):
            write_unique(out, f"suite-{kind}-{picture.name}", picture.read_bytes(), seen)
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        for width, height in SIZES:
            # A crop of ImageMagick's built-in rose with one pure green pixel: fewer than 256
            # colours, so that the palette variants keep every one.
            plain = scratch / f"plain-{width}x{height}.png"
            alpha = scratch / f"alpha-{width}x{height}.png"
            subprocess.run([CONVERT, "rose:", "-crop", f"{width}x{height}+28+18", "+repage",
                            "-fill", "#00FF00", "-draw", "point 0,0", str(plain)], check=True)
            subprocess.run([CONVERT, str(plain), "-alpha", "set", "-channel", "A", "-fx",
                            "(i+1)/(w+1)", "+channel", str(alpha)], check=True)
            sources = {"plain": plain, "alpha": alpha}
            for name, source, options, coder in VARIANTS:
                target = scratch / "out.bmp"
                subprocess.run([CONVERT, str(sources[source]), *options, f"{coder}:{target}"],
                               check=True)
                write_unique(out, f"im-{name}-{width}x{height}.bmp", target.read_bytes(), seen)


def decode_literal(body):
    """The bytes of a C++ string literal's body, escapes resolved as the compiler does."""
    simple = {"n": b"\n", "r": b"\r", "t": b"\t", "v": b"\v", "f": b"\f", "a": b"\a", "b": b"\b",
              "?": b"?", "\\": b"\\", '"': b'"', "'": b"'"}
    data = bytearray()
    i = 0
    while i < len(body):
        if body[i] != "\\":
            data += body[i].encode("latin-1")
            i += 1
            continue
        if body[i + 1] == "x":
            digits = re.match(r"[0-9A-Fa-f]+", body[i + 2:]).group(0)
            data.append(int(digits, 16) & 0xFF)
            i += 2 + len(digits)
        elif body[i + 1] in "01234567":
            digits = re.match(r"[0-7]{1,3}", body[i + 1:]).group(0)
            data.append(int(digits, 8) & 0xFF)
            i += 1 + len(digits)
        else:
            data += simple[body[i + 1]]
            i += 2
    return bytes(data)


def test_texts(source):
    """Texts of section files in a test source: runs of adjacent string literals holding a
    section header, with the folder placeholder "$D/" taken out so paths stay relative."""
    code = source.read_text(encoding="latin-1")
    literal = r'"((?:[^"\\\n]|\\.)*)"'
    texts = []
    for run in re.finditer(rf"{literal}(?:\s*{literal})*", code):
        data = b"".join(decode_literal(body) for body in re.findall(literal, run.group(0)))
        if b"[" in data and b"\n" in data:
            texts.append(data.replace(b"$D/", b""))
    return texts


def values(text, key):
    """The values of the lines of `text` that begin with `key`, any letter case."""
    found = []
    for line in text.splitlines():
        if line.lower().startswith(key.lower()):
            found.append(line[len(key):])
    return found


def content_seed(files):
    """The content target's input for (path, text) pairs: definition, character, cell."""
    return b"\0".join(path.encode() + b"\0" + text for path, text in files)


def sample_game():
    """(definition, character package, cell package) for every cell package of the game."""
    definition_path = "packages/morrels.pkg"
    definition = (GAME / definition_path).read_bytes()
    seeds = []
    for character_path in values(definition.decode(), "Package="):
        character = (GAME / character_path).read_bytes()
        for cell_path in values(character.decode(), "PACKAGE="):
            cell = (GAME / cell_path).read_bytes()
            seeds.append([(definition_path, definition), (character_path, character),
                          (cell_path, cell)])
    return seeds


def with_target_picture(files):
    """The same files with every picture path replaced by the target's own picture."""
    return [(path, re.sub(rb"=[^\n=]*\.bmp", b"=" + TARGET_PICTURE.encode(), text))
            for path, text in files]


def content_seeds(out):
    seen = set()
    game = sample_game()
    for number, files in enumerate(game):
        write_unique(out, f"game-{number:02}", content_seed(files), seen)
        write_unique(out, f"game-{number:02}-pictures", content_seed(with_target_picture(files)),
                     seen)
    # Each test text in its own place; the other two places hold files it can reach.
    definition = (b"[HEADER]\nNAME=n\nDESCRIPTION=d\nCHARACTERS=1\nBACKGROUND=" +
                  TARGET_PICTURE.encode() + b"\n[CHARACTER 0]\nPackage=character.pkg\n")
    character = b"[HEADER]\nCELLS=1\n[CELL 0]\nPACKAGE=cell.cpk\n"
    cell = b"[HEADER]\nSTILL=" + TARGET_PICTURE.encode() + b"\n"
    places = {
        "test_DefinitionFile.cpp": 0,
        "test_Character.cpp": 1,
        "test_CharacterCell.cpp": 2,
    }
    for source, place in places.items():
        for number, text in enumerate(test_texts(CONTENT_TESTS / source)):
            files = [("packages/morrels.pkg", definition), ("character.pkg", character),
                     ("cell.cpk", cell)]
            files[place] = (files[place][0], text)
            # A text naming packages of its own finds the sample's next file under that name.
            if place < 2:
                named = values(text.decode("latin-1"), "PACKAGE=")
                if named and "/" not in named[0]:
                    files[place + 1] = (named[0], files[place + 1][1])
            write_unique(out, f"test-{source[5:-4]}-{number:02}", content_seed(files), seen)


def section_reader_seeds(out):
    seen = set()
    for path in sorted(GAME.glob("packages/**/*")):
        if path.is_file():
            write_unique(out, f"game-{path.name}", path.read_bytes(), seen)
    for source in sorted(CONTENT_TESTS.glob("test_*.cpp")):
        for number, text in enumerate(test_texts(source)):
            write_unique(out, f"test-{source.stem[5:]}-{number:02}", text, seen)
    # The stream refills its buffer every 64 KiB: line ends and the end mark across that edge.
    edge = 64 * 1024
    body = b"[HEADER]\nCELLS=1\n" + b"; " + b"x" * (edge - 20) + b"\n"
    fill = body[:edge - 1]
    for name, tail in [("crlf", b"\r\n[CELL 0]\nPACKAGE=a\n"), ("cr", b"\r[CELL 0]\n"),
                       ("eof", b"\r\x1a[CELL 0]\n"), ("long-line", b"x" * 2000 + b"\n[CELL]\n")]:
        write_unique(out, f"refill-{name}", fill + tail, seen)


def wav(tag, channels, rate, bits, data, block_align=None, extra=b"", before=b"", after=b""):
    """A RIFF/WAVE file: a 'fmt ' chunk (with `extra` after its 16 bytes and its size field),
    the chunks `before`, a 'data' chunk holding `data`, and the chunks `after`."""
    def chunk(name, body):
        return name + struct.pack("<I", len(body)) + body + b"\0" * (len(body) & 1)

    align = block_align or channels * bits // 8
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    if extra:
        fmt += struct.pack("<H", len(extra)) + extra
    body = b"WAVE" + chunk(b"fmt ", fmt) + before + chunk(b"data", data) + after
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sound_seeds(out):
    seen = set()
    write_unique(out, "sample", (GAME / "sounds" / "bleep14.wav").read_bytes(), seen)
    ramp = bytes(range(0, 256, 3)) * 4
    for channels in (1, 2):
        for bits in (8, 16, 24, 32):
            write_unique(out, f"pcm{bits}-{channels}ch", wav(1, channels, 22050, bits, ramp), seen)
        write_unique(out, f"float-{channels}ch", wav(3, channels, 44100, 32, ramp), seen)
        write_unique(out, f"alaw-{channels}ch", wav(6, channels, 8000, 8, ramp), seen)
        write_unique(out, f"mulaw-{channels}ch", wav(7, channels, 8000, 8, ramp), seen)
        # MS ADPCM: blocks of 256 bytes a channel, the standard seven coefficient pairs.
        align = 256 * channels
        coefficients = [(256, 0), (512, -256), (0, 0), (192, 64), (240, 0), (460, -208),
                        (392, -232)]
        ms_extra = struct.pack("<HH", (align - 7 * channels) * 2 // channels + 2, 7)
        ms_extra += b"".join(struct.pack("<hh", *pair) for pair in coefficients)
        block = (bytes([1] * channels) + struct.pack("<h", 16) * channels +
                 struct.pack("<h", 100) * channels + struct.pack("<h", -100) * channels)
        block += ramp[:align - len(block)]
        write_unique(out, f"msadpcm-{channels}ch", wav(2, channels, 22050, 4, block * 2, align,
                                                       ms_extra), seen)
        # IMA ADPCM: a 4-byte header a channel (first sample, step index), then the nibbles.
        ima_extra = struct.pack("<H", (align - 4 * channels) * 2 // channels + 1)
        block = struct.pack("<hBB", 0, 10, 0) * channels
        block += ramp[:align - len(block)]
        write_unique(out, f"imaadpcm-{channels}ch", wav(0x11, channels, 22050, 4, block * 2,
                                                        align, ima_extra), seen)
    # The extensible header: valid bits, channel mask, the PCM sub-format's GUID.
    guid = struct.pack("<IHH", 1, 0, 0x10) + bytes([0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    write_unique(out, "extensible", wav(0xFFFE, 2, 48000, 16, ramp, 4,
                                        struct.pack("<HI", 16, 3) + guid), seen)
    listing = b"LIST" + struct.pack("<I", 12) + b"INFOINAM" + struct.pack("<I", 0)
    fact = b"fact" + struct.pack("<I", 4) + struct.pack("<I", len(ramp) // 2)
    write_unique(out, "chunks", wav(1, 1, 11025, 16, ramp, before=fact + listing,
                                    after=listing), seen)
    write_unique(out, "odd-data", wav(1, 1, 11025, 8, ramp[:101], after=listing), seen)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = pathlib.Path(sys.argv[1])
    shutil.rmtree(out, ignore_errors=True)
    for target, fill in [("fuzz_bitmap", bitmap_seeds), ("fuzz_content", content_seeds),
                         ("fuzz_section_reader", section_reader_seeds),
                         ("fuzz_sound", sound_seeds)]:
        (out / target).mkdir(parents=True)
        fill(out / target)
        print(f"{target}: {len(list((out / target).iterdir()))} seeds")


if __name__ == "__main__":
    main()
