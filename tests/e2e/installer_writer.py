"""Writes installers for the end-to-end tests: a copy of the stub with a package
appended (header, saver, optional document and logo, trailer), and the logo
bitmaps they show, or PNG files for the packer to turn into one. Small on
purpose, so the tests do not depend on the packer unless they test it."""

import pathlib
import re
import struct
import sys
import zlib

HEADER_SIZE, SAVER_SIZE, DOCUMENT_SIZE, LOGO_SIZE, TRAILER_SIZE, APP_SIZE = 1370, 310, 48, 52, 56, 524
HEADER_DISTANCE_MASK = 0x3E5B72D9
HEADER_CRC_MASK = 0xC4A1086F
TITLE_OFFSET, TITLE_WIDTH = 814, 262
DESCRIPTION_OFFSET, DESCRIPTION_WIDTH = 1076, 294


UTF8_MARKER_OFFSET, UTF8_MARKER = 8, b"utf8"


def _field(text, width, encoding="latin-1"):
    """`text` zero-filled to `width` bytes. Bytes are taken as they are and may
    fill the whole field, leaving it without its zero, as a damaged header would."""
    if isinstance(text, bytes):
        if len(text) > width:
            raise ValueError("%r does not fit a field of %d bytes" % (text, width))
        return text + b"\0" * (width - len(text))
    data = text.encode(encoding)
    if len(data) >= width:
        raise ValueError("%r does not fit a field of %d bytes" % (text, width))
    return data + b"\0" * (width - len(data))


def _pe_fields(image):
    """The offsets of a PE image's CheckSum and certificate-table entry, or None
    when `image` is not a PE32 or PE32+ image whose headers reach that entry."""
    def u16(at):
        return struct.unpack_from("<H", image, at)[0] if 0 <= at <= len(image) - 2 else None

    def u32(at):
        return struct.unpack_from("<I", image, at)[0] if 0 <= at <= len(image) - 4 else None

    if image[:2] != b"MZ" or u32(0x3C) is None:
        return None
    pe = u32(0x3C)
    if u32(pe) != 0x4550:
        return None
    magic, optional_size = u16(pe + 24), u16(pe + 20)
    layouts = {0x10B: (136, 116, 152), 0x20B: (152, 132, 168)}
    if magic not in layouts or optional_size is None or optional_size < layouts[magic][0]:
        return None
    minimum, count_at, entry_at = layouts[magic]
    directories = u32(pe + count_at)
    if directories is None or directories < 5 or u32(pe + 88) is None or pe + entry_at + 8 > len(image):
        return None
    return pe + 88, pe + entry_at


def stub_check(stub):
    """The self-check of a stub image: its CRC-32 with a PE image's CheckSum and
    certificate-table entry read as zero, the two fields signing rewrites."""
    fields = _pe_fields(stub)
    if fields is None:
        return zlib.crc32(stub)
    image = bytearray(stub)
    checksum_at, entry_at = fields
    image[checksum_at:checksum_at + 4] = bytes(4)
    image[entry_at:entry_at + 8] = bytes(8)
    return zlib.crc32(bytes(image))


def header_record(title, description, colour, timeout, utf8=False):
    """With `utf8` the texts are stored in UTF-8 under the marker that says so;
    without it they are ANSI (Latin-1 here, which Windows-1252 extends)."""
    record = bytearray(HEADER_SIZE)
    struct.pack_into("<4sIII", record, 0, b"ihdr", HEADER_SIZE, 0, 0)
    if utf8:
        record[UTF8_MARKER_OFFSET:UTF8_MARKER_OFFSET + 4] = UTF8_MARKER
    struct.pack_into("<II", record, 16, colour, timeout)
    encoding = "utf-8" if utf8 else "latin-1"
    record[TITLE_OFFSET:TITLE_OFFSET + TITLE_WIDTH] = _field(title, TITLE_WIDTH, encoding)
    record[DESCRIPTION_OFFSET:DESCRIPTION_OFFSET + DESCRIPTION_WIDTH] = _field(description, DESCRIPTION_WIDTH,
                                                                               encoding)
    return bytes(record)


def _chunk(tag, record_size, fields, stream):
    record = bytearray(record_size)
    struct.pack_into("<4sI", record, 0, tag, record_size + len(stream))
    for offset, data in fields:
        record[offset:offset + len(data)] = data
    return bytes(record) + stream


SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
PLURAL_FORMS = ("zero", "one", "two", "few", "many", "other")  # as the chunk stores them
PLURAL_COUNTS = 99


def message_keys():
    """The keys of the stub's texts in message-id order, from the stub's own table."""
    table = (SOURCE_DIR / "src" / "package" / "messages.h").read_text(encoding="utf-8")
    return re.findall(r'X\(kMsg\w+,\s*"(\w+)"', table)


def read_language_file(path):
    """The "key = text" lines of a language file, escapes resolved; plural
    forms keep their key, as "active[one]"."""
    entries = {}
    for line in pathlib.Path(path).read_text(encoding="utf-8-sig").splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        key, _, text = line.partition("=")
        entries[key.strip()] = re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), text.strip())
    return entries


def languages_stream(languages):
    """The translations chunk's stream (package_format.h). Each language is a
    dict: "tag", "langids", "rtl", "plural" (count -> form name) and "texts"
    (key or "key[form]" -> text; the description keys of a language file are
    left out)."""
    keys = message_keys()
    body = struct.pack("<H", len(languages))
    for language in languages:
        tag = language["tag"].encode("ascii")
        record = bytes([len(tag)]) + tag + bytes([1 if language["rtl"] else 0, len(language["langids"])])
        record += b"".join(struct.pack("<H", langid) for langid in language["langids"])
        record += bytes(PLURAL_FORMS.index(language["plural"](n)) for n in range(1, PLURAL_COUNTS + 1))
        texts = []
        for key, text in language["texts"].items():
            name, form = re.fullmatch(r"(\w+)(?:\[(\w+)\])?", key).groups()
            if name in keys:
                data = text.encode("utf-8")
                texts.append(struct.pack("<BBH", keys.index(name), PLURAL_FORMS.index(form or "other"), len(data)) +
                             data)
        record += struct.pack("<H", len(texts)) + b"".join(texts)
        body += struct.pack("<I", len(record)) + record
    return zlib.compress(body, 9)


def build_installer(stub, title="Test Saver", description="", colour=0x000000, timeout=10,
                    saver=b"MZ saver", saver_name="TESTSAVR.SCR", document=None, logo=None, utf8=False,
                    logo_alpha=False, app=None, languages=None):
    """Returns the bytes of an installer: `stub` followed by a well-formed package.
    With `logo_alpha` the logo record carries the marker that has it blended;
    `app`, (publisher, version, URL), asks for an Apps & features entry;
    `languages` (see languages_stream) adds translations, which count only in a
    header whose texts are marked UTF-8, as they then are."""
    utf8 = utf8 or languages is not None
    header = header_record(title, description, colour, timeout, utf8)
    chunks = [header]
    if app is not None:
        fields = zip((8, 136, 264), (128, 128, 260), app)
        chunks.append(_chunk(b"iapp", APP_SIZE, [(at, _field(text, width, "utf-8")) for at, width, text in fields],
                             b""))
    chunks.append(_chunk(b"iscr", SAVER_SIZE, [(16, _field(saver_name, 294))], zlib.compress(saver, 9)))
    if document is not None:
        chunks.append(_chunk(b"idoc", DOCUMENT_SIZE, [(12, struct.pack("<I", len(document)))],
                             zlib.compress(document, 9)))
    if logo is not None:
        chunks.append(_chunk(b"ilgo", LOGO_SIZE, [(8, b"alph")] if logo_alpha else [], zlib.compress(logo, 9)))
    if languages is not None:
        chunks.append(_chunk(b"ilng", 8, [], languages_stream(languages)))
    body = b"".join(chunks)
    distance = len(body) + TRAILER_SIZE
    trailer = struct.pack("<4sIIIII32x", b"iend", TRAILER_SIZE, 0, distance ^ HEADER_DISTANCE_MASK,
                          zlib.crc32(header) ^ HEADER_CRC_MASK, stub_check(stub))
    return bytes(stub) + body + trailer


def alpha_dib(width, height, pixel):
    """A packed bottom-up 32-bit bitmap with premultiplied alpha, for a logo record
    with the "alph" marker; pixel(x, y) gives (r, g, b, a), y counting from the top."""
    rows = []
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = pixel(x, y)
            rows.append(bytes((b * a // 255, g * a // 255, r * a // 255, a)))
    bits = b"".join(rows)
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(bits), 0, 0, 0, 0) + bits


def demo_logo():
    """The demo's logo as the packer stores it, a 32-bit bitmap with alpha, made
    from demo/logo.txt with the demo's own reader of it."""
    scripts = pathlib.Path(__file__).resolve().parents[2] / "scripts"
    sys.dont_write_bytecode = True  # keep the source tree clean
    sys.path.insert(0, str(scripts))
    import make_demo_logo
    palette, rows = make_demo_logo.parse((scripts.parent / "demo" / "logo.txt").read_text(encoding="ascii"))
    colours = dict(palette)
    return alpha_dib(len(rows[0]), len(rows), lambda x, y: colours[rows[y][x]])


def png_file(width, height, pixel):
    """An 8-bit RGBA PNG; pixel(x, y) gives (r, g, b, a), y counting from the top."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
            chunk(b"IEND", b""))


def packed_dib(width, height, bit_count, pixel, palette=None):
    """A packed bottom-up BI_RGB bitmap. pixel(x, y) gives a palette index for 8 bits
    or fewer, else an (r, g, b) tuple; y counts from the top row. palette is a list
    of (r, g, b) with 2**bit_count entries."""
    row_bytes = (width * bit_count + 31) // 32 * 4
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        if bit_count <= 8:
            acc = count = 0
            for x in range(width):
                acc = (acc << bit_count) | pixel(x, y)
                count += bit_count
                if count == 8:
                    row.append(acc)
                    acc = count = 0
            if count:
                row.append(acc << (8 - count))
        else:
            for x in range(width):
                r, g, b = pixel(x, y)
                row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (row_bytes - len(row)))
    bits = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(bits), 0, 0, 0, 0)
    table = b""
    if bit_count <= 8:
        assert palette is not None and len(palette) == 1 << bit_count
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bits
