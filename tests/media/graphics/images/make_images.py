#!/usr/bin/python3
"""Writes the reader test pictures and their reference decodes into this folder.

Run once with Debian's python3-pil and ImageMagick (`convert`); the results are
committed. Pictures come from PIL and ImageMagick; the few variants no common
encoder writes (RLE4, top-down and right-to-left rows, 16-bit TGA, raw BGRA, DDS
without the alpha flag) are patched together here from encoder output. Every
reference is an independent decode stored as <picture>.ref: width and height
(little-endian 32-bit), then R G B A bytes, top row first.
"""
import os
import struct
import subprocess
from PIL import Image

os.chdir(os.path.dirname(os.path.abspath(__file__)))
W, H = 29, 17


def pattern(x, y):
    return ((x * 9 + y * 3) % 256, (y * 15 + x * 2) % 256, (x * y * 3 + 40) % 256,
            (x * 23 + y * 41) % 256)


base = Image.new("RGBA", (W, H))
base.putdata([pattern(x, y) for y in range(H) for x in range(W)])
base.putpixel((0, 0), (0, 0, 0, 0))
base.putpixel((W - 1, H - 1), (255, 255, 255, 255))
base.save("src.png")
rgb = base.convert("RGB")
pal16, pal64 = rgb.quantize(16), rgb.quantize(64)


def reference(name, im):
    with open(name + ".ref", "wb") as f:
        f.write(struct.pack("<II", im.width, im.height) + im.convert("RGBA").tobytes())


def decoded(name, source=None, drop_alpha=False):
    im = Image.open(source or name).convert("RGBA")
    if drop_alpha:
        im.putalpha(255)
    reference(name, im)


def magick(name, *args, source="src.png"):
    subprocess.run(["convert", source] + list(args) + [name], check=True)


def wide(v):
    """16 bits: v * 257 moved by 37 keeps v as the high byte and as the rounded
    value, and makes the low byte differ from it."""
    return v * 257 + (37 if v < 128 else -37)


def save(im, name, **options):
    im.save(name, **options)
    decoded(name)


# ---- BMP ----
for name, prefix, args in [
        ("bmp_1bit.bmp", "BMP3:", ["-type", "bilevel"]),
        ("bmp_4bit.bmp", "BMP3:", ["-colors", "16", "-type", "Palette"]),
        ("bmp_8bit_rle.bmp", "BMP3:", ["-colors", "60", "-type", "Palette", "-compress", "RLE"]),
        ("bmp_8bit_v5.bmp", "", ["-colors", "60", "-type", "Palette", "-compress", "None"]),
        ("bmp_16bit_565.bmp", "", ["-define", "bmp:subtype=RGB565"]),
        ("bmp_16bit_555.bmp", "", ["-define", "bmp:subtype=RGB555"])]:
    magick(prefix + name, "-alpha", "off", *args)
    decoded(name)
save(pal64, "bmp_8bit.bmp")
save(rgb, "bmp_24bit.bmp")
base.save("bmp_32bit.bmp")
decoded("bmp_32bit.bmp", drop_alpha=True)
magick("bmp_32bit_bitfields.bmp", "-type", "TrueColorAlpha")
decoded("bmp_32bit_bitfields.bmp", drop_alpha=True)

# Top-down: the rows of the 24-bit file in the other order, the height negated.
data = bytearray(open("bmp_24bit.bmp", "rb").read())
at, pitch = struct.unpack_from("<I", data, 10)[0], (W * 3 + 3) & ~3
rows = [data[at + i * pitch:at + (i + 1) * pitch] for i in range(H)]
data[at:] = b"".join(reversed(rows))
struct.pack_into("<i", data, 22, -H)
open("bmp_24bit_topdown.bmp", "wb").write(data)
decoded("bmp_24bit_topdown.bmp", source="bmp_24bit.bmp")

# RLE4 of the 16-colour picture: runs, odd and even literals, a delta, row ends.
idx = [[pal16.getpixel((x, y)) for x in range(W)] for y in range(H)]
colours = pal16.getpalette()[:48]
stream = bytearray()
for y in reversed(range(H)):
    row, x = idx[y], 0
    if y == H - 3:  # three pixels skipped by a delta stay index 0
        stream += bytes([0, 2, 3, 0])
        x = 3
    while x < W:
        run = 1
        while x + run < W and row[x + run] == row[x]:
            run += 1
        if run >= 3 or W - x < 3:
            n = min(run, W - x)
            stream += bytes([n, row[x] * 17])
        else:
            n = min(W - x, 7 if y % 2 else 6)
            lit = row[x:x + n] + [0]
            packed = bytes(lit[i] << 4 | lit[i + 1] for i in range(0, n, 2))
            stream += bytes([0, n]) + packed + b"\0" * (len(packed) % 2)
        x += n
    stream += b"\0\0"
stream += b"\0\1"
palette = b"".join(bytes([colours[3 * i + 2], colours[3 * i + 1], colours[3 * i], 0])
                   for i in range(16))
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 4, 2, len(stream), 2835, 2835, 16, 0)
head = struct.pack("<2sIHHI", b"BM", 118 + len(stream), 0, 0, 118)
open("bmp_4bit_rle.bmp", "wb").write(head + info + palette + stream)
# PIL's run-length decoder reads a delta's two bytes twice and drops the last pixel
# of an odd literal run: ImageMagick decodes this one.
raw = subprocess.run(["convert", "bmp_4bit_rle.bmp", "-depth", "8", "rgba:-"], check=True,
                     capture_output=True).stdout
open("bmp_4bit_rle.bmp.ref", "wb").write(struct.pack("<II", W, H) + raw)

# ---- JPEG ----
save(rgb, "jpeg_baseline.jpg", quality=90)
save(rgb, "jpeg_progressive.jpg", quality=85, progressive=True)
save(rgb.convert("L"), "jpeg_grey.jpg", quality=90)

# ---- PNG ----
save(rgb, "png_rgb.png")
save(base, "png_rgba.png")
save(pal64, "png_palette.png")
save(pal64, "png_palette_trns.png", transparency=pal64.getpixel((3, 3)))
save(rgb, "png_rgb_trns.png", transparency=rgb.getpixel((5, 5)))
save(rgb.convert("L"), "png_grey.png")
save(base.convert("LA"), "png_grey_alpha.png")
save(rgb.convert("1"), "png_1bit.png")
magick("png_interlaced.png", "-interlace", "PNG")
decoded("png_interlaced.png")
g16 = Image.new("I;16", (W, H))
g16.putdata([wide(v) for v in rgb.convert("L").getdata()])
g16.save("png_grey16.png")
reference("png_grey16.png", Image.frombytes(
    "L", (W, H), bytes(Image.open("png_grey16.png").getpixel((x, y)) >> 8
                       for y in range(H) for x in range(W))))
open("rgb16.raw", "wb").write(b"".join(struct.pack(">3H", *map(wide, p)) for p in rgb.getdata()))
subprocess.run(["convert", "-size", f"{W}x{H}", "-depth", "16", "-endian", "MSB", "rgb:rgb16.raw",
                "PNG48:png_rgb16.png"], check=True)
os.remove("rgb16.raw")
decoded("png_rgb16.png")

# ---- raw BGRA ----
for name, code, fmt, f in [("raw8.bgra", 0x08080808, "4B", int), ("raw16.bgra", 0x10101010, "<4H",
                                                                   wide)]:
    body = b"".join(struct.pack(fmt, f(b), f(g), f(r), f(a)) for r, g, b, a in base.getdata())
    open(name, "wb").write(b"BGRA" + struct.pack("<III", code, W, H) + body)
    reference(name, base)

# ---- TGA ----
save(rgb, "tga_rgb24.tga")
save(base, "tga_rgba32.tga")
save(base, "tga_rle32.tga", compression="tga_rle")
save(pal64, "tga_mapped.tga")
save(pal64, "tga_mapped_rle.tga", compression="tga_rle")
save(rgb, "tga_topleft.tga", orientation=1)
# Right to left: the columns of the top-left file mirrored, descriptor bit 4 set.
data = bytearray(open("tga_topleft.tga", "rb").read())
at = 18 + data[0]
for y in range(H):
    row = data[at + y * W * 3:at + (y + 1) * W * 3]
    data[at + y * W * 3:at + (y + 1) * W * 3] = b"".join(
        reversed([row[i:i + 3] for i in range(0, len(row), 3)]))
data[17] |= 0x10
open("tga_right_to_left.tga", "wb").write(data)
decoded("tga_right_to_left.tga", source="tga_topleft.tga")
# 16-bit 5-5-5 (the top bit set on every other pixel), bottom row first.
body = b"".join(struct.pack("<H", (x & 1) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                for y in reversed(range(H)) for x in range(W) for r, g, b in [rgb.getpixel((x, y))])
open("tga_rgb16.tga", "wb").write(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, 16, 0)
                                  + body)
decoded("tga_rgb16.tga")

# ---- DDS ----
none = ["-define", "dds:compression=none", "-define", "dds:mipmaps=0"]
magick("dds_rgb24.dds", "-alpha", "off", *none)
decoded("dds_rgb24.dds")
magick("dds_argb32.dds", *none)  # refused by the reader: it has alpha
data = bytearray(open("dds_argb32.dds", "rb").read())
struct.pack_into("<I", data, 80, struct.unpack_from("<I", data, 80)[0] & ~1)
struct.pack_into("<I", data, 104, 0)
open("dds_xrgb32.dds", "wb").write(data)
decoded("dds_xrgb32.dds", source="dds_argb32.dds", drop_alpha=True)

# ---- a picture with an "_a" mask: alpha = (r + g + b) / 3 of the mask ----
rgb.save("masked.bmp")
mask = Image.new("RGB", (W, H))
mask.putdata([((x * 17) % 256, (y * 13) % 256, (x * y) % 256) for y in range(H) for x in range(W)])
mask.save("masked_a.bmp")
with_alpha = rgb.copy()
with_alpha.putalpha(Image.frombytes("L", (W, H), bytes(sum(p) // 3 for p in mask.getdata())))
reference("masked.bmp", with_alpha)
os.remove("src.png")
