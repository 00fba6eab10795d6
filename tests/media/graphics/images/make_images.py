#!/usr/bin/python3
"""Writes the reader test pictures and their reference decodes into this folder.

Run once with Debian's python3-pil and ImageMagick (`convert`); the results are
committed. Pictures come from PIL and ImageMagick; the few variants no common
encoder writes (RLE4, top-down and right-to-left rows, 16-bit TGA, raw BGRA, DDS
without the alpha flag) are patched together here from encoder output. Every
reference is an independent decode (PIL) stored as <picture>.ref: width and
height (little-endian 32-bit) and then R G B A bytes, top row first.
"""
import os
import struct
import subprocess
from PIL import Image

os.chdir(os.path.dirname(os.path.abspath(__file__)))
W, H = 29, 17


def picture(alpha=True):
    im = Image.new("RGBA", (W, H))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), ((x * 9 + y * 3) % 256, (y * 15 + x * 2) % 256,
                                 (x * y * 3 + 40) % 256, (x * 23 + y * 41) % 256 if alpha else 255))
    im.putpixel((0, 0), (0, 0, 0, 0))
    im.putpixel((W - 1, H - 1), (255, 255, 255, 255))
    return im


def reference(name, im):
    im = im.convert("RGBA")
    with open(name + ".ref", "wb") as f:
        f.write(struct.pack("<II", im.width, im.height) + im.tobytes())


def decoded(name, drop_alpha=False, source=None):
    im = Image.open(source or name).convert("RGBA")
    if drop_alpha:
        im.putalpha(255)
    reference(name, im)


def magick_decoded(name):
    """The reference by ImageMagick's decoder, where PIL's cannot be trusted."""
    raw = subprocess.run(["convert", name, "-depth", "8", "rgba:-"], check=True,
                         capture_output=True).stdout
    with open(name + ".ref", "wb") as f:
        f.write(struct.pack("<II", W, H) + raw)


def magick(src, *args):
    subprocess.run(["convert", src] + list(args), check=True)


base = picture()
base.save("src.png")
rgb = base.convert("RGB")
pal16 = rgb.quantize(16)
pal64 = rgb.quantize(64)

# ---- BMP ----
magick("src.png", "-alpha", "off", "-type", "bilevel", "BMP3:bmp_1bit.bmp")
magick("src.png", "-alpha", "off", "-colors", "16", "-type", "Palette", "BMP3:bmp_4bit.bmp")
pal64.save("bmp_8bit.bmp")
magick("src.png", "-alpha", "off", "-colors", "60", "-type", "Palette", "-compress", "RLE",
       "BMP3:bmp_8bit_rle.bmp")
magick("src.png", "-alpha", "off", "-colors", "60", "-type", "Palette", "-compress", "None",
       "bmp_8bit_v5.bmp")
magick("src.png", "-alpha", "off", "-define", "bmp:subtype=RGB565", "bmp_16bit_565.bmp")
magick("src.png", "-alpha", "off", "-define", "bmp:subtype=RGB555", "bmp_16bit_555.bmp")
rgb.save("bmp_24bit.bmp")
base.save("bmp_32bit.bmp")
magick("src.png", "-type", "TrueColorAlpha", "bmp_32bit_bitfields.bmp")
for name in ["bmp_1bit.bmp", "bmp_4bit.bmp", "bmp_8bit.bmp", "bmp_8bit_rle.bmp",
             "bmp_8bit_v5.bmp", "bmp_16bit_565.bmp", "bmp_16bit_555.bmp", "bmp_24bit.bmp"]:
    decoded(name)
decoded("bmp_32bit.bmp", drop_alpha=True)
decoded("bmp_32bit_bitfields.bmp", drop_alpha=True)

# Top-down: the rows of the 24-bit file in the other order, the height negated.
data = bytearray(open("bmp_24bit.bmp", "rb").read())
offset, pitch = struct.unpack_from("<I", data, 10)[0], (W * 3 + 3) & ~3
rows = [data[offset + i * pitch:offset + (i + 1) * pitch] for i in range(H)]
data[offset:] = b"".join(reversed(rows))
struct.pack_into("<i", data, 22, -H)
open("bmp_24bit_topdown.bmp", "wb").write(data)
decoded("bmp_24bit_topdown.bmp", source="bmp_24bit.bmp")

# RLE4 from the 4-bit picture: runs, literals (odd and even), a delta, row ends.
pal16.save("bmp_rle4_src.bmp")
img = Image.open("bmp_rle4_src.bmp")
idx = [[img.getpixel((x, y)) for x in range(W)] for y in range(H)]
colours = img.getpalette()[:48]
stream = bytearray()
for y in reversed(range(H)):
    row, x = idx[y], 0
    if y == H - 3:  # skip three pixels of this row by a delta (they stay index 0)
        row = [0, 0, 0] + row[3:]
        stream += bytes([0, 2, 3, 0])
        x = 3
    while x < W:
        run = 1
        while x + run < W and row[x + run] == row[x] and run < 255:
            run += 1
        if run >= 3 or W - x < 3:
            n = min(run, W - x)
            stream += bytes([n, row[x] << 4 | row[x]])
            x += n
        else:
            n = min(W - x, 7 if y % 2 else 6)
            lit = row[x:x + n] + [0]
            stream += bytes([0, n]) + bytes(lit[i] << 4 | lit[i + 1] for i in range(0, n, 2))
            if ((n + 1) // 2) % 2:
                stream += b"\0"
            x += n
    stream += b"\0\0"
stream += b"\0\1"
palette = b"".join(bytes([colours[3 * i + 2], colours[3 * i + 1], colours[3 * i], 0])
                   for i in range(16))
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 4, 2, len(stream), 2835, 2835, 16, 0)
head = struct.pack("<2sIHHI", b"BM", 14 + 40 + 64 + len(stream), 0, 0, 14 + 40 + 64)
open("bmp_4bit_rle.bmp", "wb").write(head + info + palette + stream)
# PIL's run-length decoder reads the two bytes of a delta twice and drops the last
# pixel of an odd literal run: ImageMagick decodes this one.
magick_decoded("bmp_4bit_rle.bmp")
os.remove("bmp_rle4_src.bmp")

# ---- JPEG ----
rgb.save("jpeg_baseline.jpg", quality=90)
rgb.save("jpeg_progressive.jpg", quality=85, progressive=True)
rgb.convert("L").save("jpeg_grey.jpg", quality=90)
for name in ["jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_grey.jpg"]:
    decoded(name)

# ---- PNG ----
rgb.save("png_rgb.png")
base.save("png_rgba.png")
pal64.save("png_palette.png")
trns = pal64.copy()
trns.info["transparency"] = trns.getpixel((3, 3))
trns.save("png_palette_trns.png", transparency=trns.getpixel((3, 3)))
rgb.convert("L").save("png_grey.png")
base.convert("LA").save("png_grey_alpha.png")
rgb.convert("1").save("png_1bit.png")
magick("src.png", "-interlace", "PNG", "png_interlaced.png")
for name in ["png_rgb.png", "png_rgba.png", "png_palette.png", "png_palette_trns.png",
             "png_grey.png", "png_grey_alpha.png", "png_1bit.png", "png_interlaced.png"]:
    decoded(name)


# 16 bits per sample: v * 257 moved by 37 keeps v as both the high byte and the
# rounded value, and makes the low byte differ from it.
def wide(v):
    return v * 257 + (37 if v < 128 else -37)


grey = rgb.convert("L")
g16 = Image.new("I;16", (W, H))
for y in range(H):
    for x in range(W):
        g16.putpixel((x, y), wide(grey.getpixel((x, y))))
g16.save("png_grey16.png")
read16 = Image.open("png_grey16.png")
high = Image.new("L", (W, H))
for y in range(H):
    for x in range(W):
        high.putpixel((x, y), read16.getpixel((x, y)) >> 8)
reference("png_grey16.png", high)
raw = b"".join(struct.pack(">3H", *(wide(c) for c in rgb.getpixel((x, y))))
               for y in range(H) for x in range(W))
open("rgb16.raw", "wb").write(raw)
subprocess.run(["convert", "-size", f"{W}x{H}", "-depth", "16", "-endian", "MSB", "rgb:rgb16.raw",
                "PNG48:png_rgb16.png"], check=True)
os.remove("rgb16.raw")
decoded("png_rgb16.png")

# ---- raw BGRA ----
pixels = [base.getpixel((x, y)) for y in range(H) for x in range(W)]
body8 = b"".join(bytes([b, g, r, a]) for r, g, b, a in pixels)
body16 = b"".join(struct.pack("<4H", wide(b), wide(g), wide(r), wide(a)) for r, g, b, a in pixels)
open("raw8.bgra", "wb").write(b"BGRA" + struct.pack("<III", 0x08080808, W, H) + body8)
open("raw16.bgra", "wb").write(b"BGRA" + struct.pack("<III", 0x10101010, W, H) + body16)
reference("raw8.bgra", base)
reference("raw16.bgra", base)

# ---- TGA ----
rgb.save("tga_rgb24.tga")
base.save("tga_rgba32.tga")
base.save("tga_rle32.tga", compression="tga_rle")
pal64.save("tga_mapped.tga")
pal64.save("tga_mapped_rle.tga", compression="tga_rle")
rgb.save("tga_topleft.tga", orientation=1)
for name in ["tga_rgb24.tga", "tga_rgba32.tga", "tga_rle32.tga", "tga_mapped.tga",
             "tga_mapped_rle.tga", "tga_topleft.tga"]:
    decoded(name)
# Right to left: the columns of the top-left file mirrored and descriptor bit 4 set.
data = bytearray(open("tga_topleft.tga", "rb").read())
start = 18 + data[0]
for y in range(H):
    row = data[start + y * W * 3:start + (y + 1) * W * 3]
    px = [row[i:i + 3] for i in range(0, len(row), 3)]
    data[start + y * W * 3:start + (y + 1) * W * 3] = b"".join(reversed(px))
data[17] |= 0x10
open("tga_right_to_left.tga", "wb").write(data)
decoded("tga_right_to_left.tga", source="tga_topleft.tga")
# 16-bit (5-5-5, top bit set on half the pixels), bottom row first; PIL decodes it.
q = [[rgb.getpixel((x, y)) for x in range(W)] for y in range(H)]
body = b"".join(struct.pack("<H", (x & 1) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                for y in reversed(range(H)) for x, (r, g, b) in enumerate(q[y]))
open("tga_rgb16.tga", "wb").write(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, 16, 0)
                                  + body)
decoded("tga_rgb16.tga")

# ---- DDS ----
magick("src.png", "-alpha", "off", "-define", "dds:compression=none", "-define",
       "dds:mipmaps=0", "dds_rgb24.dds")
decoded("dds_rgb24.dds")
magick("src.png", "-define", "dds:compression=none", "-define", "dds:mipmaps=0",
       "dds_argb32.dds")
decoded("dds_argb32.dds")  # refused by the reader (alpha); kept to show it
data = bytearray(open("dds_argb32.dds", "rb").read())
struct.pack_into("<I", data, 80, struct.unpack_from("<I", data, 80)[0] & ~1)
struct.pack_into("<I", data, 104, 0)
open("dds_xrgb32.dds", "wb").write(data)
decoded("dds_xrgb32.dds", drop_alpha=True, source="dds_argb32.dds")

# ---- an "_a" mask beside a picture ----
rgb.save("masked.bmp")
mask = Image.new("L", (W, H))
for y in range(H):
    for x in range(W):
        mask.putpixel((x, y), (x * 17 + y * 5) % 256)
mask.save("masked_a.bmp")
with_alpha = rgb.copy()
with_alpha.putalpha(mask)
reference("masked.bmp", with_alpha)
os.remove("src.png")
