#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes foreign.ora: an OpenRaster file laid out as Krita and MyPaint write theirs (a group of
# layers, a layer at half opacity, one blending with multiply, a hidden one, one off the
# origin), with plain made-up pictures. Run again to remake it: python3 make_foreign_ora.py
import struct
import sys
import zipfile
import zlib


def png(width, height, pixel):
    """An 8-bit RGBA PNG; pixel(x, y) gives (r, g, b, a)."""
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


STACK = """<?xml version='1.0' encoding='UTF-8'?>
<!-- as another editor writes it -->
<image version="0.0.3" w="8" h="6" xres="72" yres="72">
 <stack>
  <stack name="Group" opacity="1.0" visibility="visible">
   <layer name="Grouped" src="data/grouped.png" x="5" y="4" opacity="1.0" visibility="visible"/>
  </stack>
  <layer name="Hidden" src="data/hidden.png" x="0" y="0" opacity="1.0" visibility="hidden"/>
  <layer name="Multiply" src="data/multiply.png" x="2" y="1" composite-op="svg:multiply"/>
  <layer name="Half" src="data/half.png" x="1" y="3" opacity="0.5" visibility="visible" composite-op="svg:src-over"/>
  <layer name="Background" src="data/background.png" x="0" y="0" opacity="1.0" visibility="visible"/>
 </stack>
</image>
"""


def main(path):
    with zipfile.ZipFile(path, "w") as ora:
        ora.writestr(zipfile.ZipInfo("mimetype"), "image/openraster", compress_type=zipfile.ZIP_STORED)
        ora.writestr("stack.xml", STACK, compress_type=zipfile.ZIP_DEFLATED)
        pictures = {
            "data/background.png": png(8, 6, lambda x, y: (10 * x, 20 * y, 200, 255)),
            "data/half.png": png(2, 2, lambda x, y: (255, 0, 0, 200)),
            "data/multiply.png": png(3, 2, lambda x, y: (0, 255, 0, 255)),
            "data/hidden.png": png(8, 6, lambda x, y: (0, 0, 0, 255)),
            "data/grouped.png": png(3, 2, lambda x, y: (255, 255, 0, 128)),
            "mergedimage.png": png(8, 6, lambda x, y: (10 * x, 20 * y, 200, 255)),
            "Thumbnails/thumbnail.png": png(8, 6, lambda x, y: (10 * x, 20 * y, 200, 255)),
        }
        for name, data in pictures.items():
            ora.writestr(name, data, compress_type=zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "foreign.ora")
