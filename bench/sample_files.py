"""Generated files of each kind the settings search knows, laid out as real programs write them."""
import io
import random
import struct
import zipfile
import zlib


def png(rng: random.Random) -> bytes:
    width, height = rng.randint(8, 300), rng.randint(8, 200)
    colour = rng.choice([0, 2, 6])
    channels = {0: 1, 2: 3, 6: 4}[colour]

    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + bytes(rng.getrandbits(8) // 4 for _ in range(width * channels))
                    for _ in range(height))
    compressed = zlib.compress(rows, 6)
    out = [b"\x89PNG\r\n\x1a\n", chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0))]
    if rng.random() < 0.5:
        out.append(chunk(b"gAMA", struct.pack(">I", 45455)))
    if rng.random() < 0.5:
        out.append(chunk(b"tEXt", b"Comment\0" + bytes(rng.randint(32, 126) for _ in range(rng.randint(5, 60)))))
    piece = rng.choice([8192, 16384, 65536])
    for start in range(0, len(compressed), piece):
        out.append(chunk(b"IDAT", compressed[start:start + piece]))
    out.append(chunk(b"IEND", b""))
    return b"".join(out)


def zip_archive(rng: random.Random) -> bytes:
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for i in range(rng.randint(1, 6)):
            size = rng.choice([0, 10, 300, 5000, 40000])
            if rng.random() < 0.5:
                data = bytes(rng.getrandbits(8) for _ in range(size))
            else:
                words = [b"alpha", b"beta", b"gamma", b"delta", b"\n", b" "]
                data = b"".join(rng.choice(words) for _ in range(size // 4))
            method = zipfile.ZIP_DEFLATED if rng.random() < 0.6 else zipfile.ZIP_STORED
            archive.writestr(zipfile.ZipInfo(f"dir/file{i}.txt", (2024, 5, 17, 12, 30, 10)), data,
                             compress_type=method)
    return buffer.getvalue()


def jpeg(rng: random.Random) -> bytes:
    def segment(marker: int, payload: bytes) -> bytes:
        return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload

    out = [b"\xff\xd8"]
    if rng.random() < 0.5:
        out.append(segment(0xE0, b"JFIF\0\x01\x01\x00\x00\x48\x00\x48\x00\x00"))
    else:
        tiff = b"II*\0\x08\0\0\0" + b"\x01\x00" + struct.pack("<HHII", 0x0112, 3, 1, 1) + b"\0\0\0\0"
        out.append(segment(0xE1, b"Exif\0\0" + tiff))
    for table in range(2):
        out.append(segment(0xDB, bytes([table]) + bytes(rng.randint(1, 99) for _ in range(64))))
    width, height = rng.randint(16, 640), rng.randint(16, 480)
    out.append(segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) + b"\x01\x22\x00\x02\x11\x01\x03\x11\x01"))
    for table_class, table_id in [(0, 0), (1, 0), (0, 1), (1, 1)]:
        counts = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0] if table_class == 0 else \
            [0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D]
        symbols = bytes(rng.sample(range(256), sum(counts)))
        out.append(segment(0xC4, bytes([table_class << 4 | table_id]) + bytes(counts) + symbols))
    out.append(segment(0xDA, b"\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00"))
    data = bytearray()
    for _ in range(rng.randint(2000, 60000)):
        byte = rng.getrandbits(8)
        data.append(byte)
        if byte == 0xFF:
            data.append(0)
    out.append(bytes(data))
    out.append(b"\xff\xd9")
    return b"".join(out)


def pdf(rng: random.Random) -> bytes:
    eol = rng.choice([b"\n", b"\r\n"])
    out = bytearray(b"%PDF-1." + str(rng.randint(3, 7)).encode() + eol + b"%\xe2\xe3\xcf\xd3" + eol)
    offsets = []
    pages = rng.randint(1, 4)
    bodies = [b"<< /Type /Catalog /Pages 2 0 R >>",
              b"<< /Type /Pages /Kids [" + b" ".join(b"%d 0 R" % (3 + i) for i in range(pages)) +
              b"] /Count %d >>" % pages]
    for i in range(pages):
        bodies.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents %d 0 R >>" % (3 + pages + i))
    for i in range(pages):
        text = b"BT /F1 12 Tf 72 720 Td (" + bytes(rng.randint(65, 90) for _ in range(rng.randint(20, 400))) + b") Tj ET"
        bodies.append(b"<< /Length %d >>" % len(text) + eol + b"stream" + eol + text + eol + b"endstream")
    for number, body in enumerate(bodies, 1):
        offsets.append(len(out))
        out += b"%d 0 obj" % number + eol + body + eol + b"endobj" + eol
    xref = len(out)
    out += b"xref" + eol + b"0 %d" % (len(bodies) + 1) + eol + b"0000000000 65535 f\r\n"
    for offset in offsets:
        out += b"%010d 00000 n\r\n" % offset
    out += b"trailer" + eol + b"<< /Size %d /Root 1 0 R >>" % (len(bodies) + 1) + eol
    out += b"startxref" + eol + str(xref).encode() + eol + b"%%EOF" + rng.choice([b"\n", b"\r\n", b""])
    return bytes(out)


def lzw_codes(pixels: list, code_size: int) -> bytes:
    """A valid GIF LZW stream that sends every pixel as its own code, clearing before the table
    fills; decoders build their table from it all the same."""
    clear, end = 1 << code_size, (1 << code_size) + 1
    out, bits, count = bytearray(), 0, 0
    width, next_code, first = code_size + 1, end + 1, True

    def emit(code: int) -> None:
        nonlocal bits, count
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    emit(clear)
    for pixel in pixels:
        emit(pixel)
        if not first:
            next_code += 1
            if next_code == 1 << width and width < 12:
                width += 1
        first = False
        if next_code >= 4000:
            emit(clear)
            width, next_code, first = code_size + 1, end + 1, True
    emit(end)
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def gif(rng: random.Random) -> bytes:
    width, height = rng.randint(1, 200), rng.randint(1, 150)
    depth = rng.randint(1, 8)
    out = bytearray(b"GIF89a" + struct.pack("<HH", width, height) + bytes([0xF0 | (depth - 1), 0, 0]))
    out += bytes(rng.getrandbits(8) for _ in range(3 << depth))
    out += b"\x21\xf9\x04\x00\x0a\x00\x00\x00"
    code_size = max(2, depth)
    out += b"\x2c" + struct.pack("<HHHH", 0, 0, width, height) + b"\x00" + bytes([code_size])
    data = lzw_codes([rng.randrange(1 << depth) for _ in range(width * height)], code_size)
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out += bytes([len(block)]) + block
    out += b"\x00\x3b"
    return bytes(out)


def wav(rng: random.Random) -> bytes:
    channels, rate, bits = rng.choice([1, 2]), rng.choice([8000, 22050, 44100, 48000]), rng.choice([8, 16])
    samples = bytes(rng.getrandbits(8) for _ in range(rng.randint(1000, 50000) * channels * bits // 8))
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * align, align, bits)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def mp3(rng: random.Random) -> bytes:
    frames = []
    title = bytes(rng.randint(65, 90) for _ in range(rng.randint(3, 30)))
    frames.append(b"TIT2" + struct.pack(">I", len(title) + 1) + b"\0\0" + b"\0" + title)
    artist = bytes(rng.randint(65, 90) for _ in range(rng.randint(3, 30)))
    frames.append(b"TPE1" + struct.pack(">I", len(artist) + 1) + b"\0\0" + b"\0" + artist)
    body = b"".join(frames) + bytes(rng.choice([0, 100, 1000]))
    size = len(body)
    syncsafe = bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
    out = bytearray(b"ID3\x03\x00\x00" + syncsafe + body)
    bitrate_index = rng.choice([9, 11])  # 128 or 192 kbit/s, MPEG-1 layer III
    bitrate = {9: 128000, 11: 192000}[bitrate_index]
    for _ in range(rng.randint(20, 300)):
        padding = rng.getrandbits(1)
        length = 144 * bitrate // 44100 + padding
        header = bytes([0xFF, 0xFB, bitrate_index << 4 | padding << 1, rng.choice([0x44, 0x64, 0xC4])])
        out += header + bytes(rng.getrandbits(8) for _ in range(length - 4))
    return bytes(out)


MAKERS = {"png": png, "zip": zip_archive, "jpeg": jpeg, "pdf": pdf, "gif": gif, "wav": wav, "mp3": mp3}
