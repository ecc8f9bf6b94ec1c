#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads an .ora file as another editor would, with nothing of ours: python3 check_ora.py FILE
# LAYERS. Exits 0 when the archive follows the OpenRaster baseline and stack.xml lists LAYERS
# layers over the picture, each a PNG inside the canvas; prints what is wrong otherwise.
import struct
import sys
import xml.etree.ElementTree as ET
import zipfile


def png_size(data, name):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"{name} is not a PNG")
    return struct.unpack(">II", data[16:24])


def main(path, layers):
    ora = zipfile.ZipFile(path)
    if ora.testzip() is not None:
        sys.exit("an entry fails its CRC")
    first = ora.infolist()[0]
    if first.filename != "mimetype" or first.compress_type != zipfile.ZIP_STORED or first.extra:
        sys.exit("mimetype is not the first entry, stored, without extra fields")
    if ora.read("mimetype") != b"image/openraster":
        sys.exit("mimetype does not say image/openraster")
    image = ET.fromstring(ora.read("stack.xml"))
    width, height = int(image.get("w")), int(image.get("h"))
    listed = image.findall("./stack/layer")
    if len(listed) != layers + 1:
        sys.exit(f"stack.xml lists {len(listed)} layers, not {layers + 1}")
    bottom = listed[-1]
    if png_size(ora.read(bottom.get("src")), "the picture") != (width, height):
        sys.exit("the bottom layer is not the canvas's size")
    for layer in listed:
        w, h = png_size(ora.read(layer.get("src")), layer.get("src"))
        x, y = int(layer.get("x")), int(layer.get("y"))
        if x < 0 or y < 0 or x + w > width or y + h > height or layer.get("visibility") not in ("visible", "hidden"):
            sys.exit(f"{layer.get('name')} is not placed inside the canvas")
    if png_size(ora.read("mergedimage.png"), "mergedimage.png") != (width, height):
        sys.exit("mergedimage.png is not the canvas's size")
    tw, th = png_size(ora.read("Thumbnails/thumbnail.png"), "the thumbnail")
    if max(tw, th) > 256:
        sys.exit("the thumbnail is larger than 256 x 256")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]))
