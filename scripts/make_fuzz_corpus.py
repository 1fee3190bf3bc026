#!/usr/bin/env python3
"""Writes the small seed corpora of the LWOB and TMD round-trip fuzzers, built from the formats' tables."""
import os
import struct

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def write(folder, name, data):
    path = os.path.join(root, "fuzz", "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


# LWOB: big-endian IFF chunks.
def chunk(cid, body):
    return cid + struct.pack(">I", len(body)) + body


def lwob(*chunks):
    body = b"LWOB" + b"".join(chunks)
    return b"FORM" + struct.pack(">I", len(body)) + body


def points(*xyz):
    return chunk(b"PNTS", b"".join(struct.pack(">fff", *p) for p in xyz))


def pols(*polys):
    out = b""
    for indices, surface in polys:
        out += struct.pack(">H", len(indices)) + b"".join(struct.pack(">H", i) for i in indices)
        out += struct.pack(">h", surface)
    return chunk(b"POLS", out)


def surf(name, colour=None, flag=None):
    body = name + b"\0" * (2 - len(name) % 2)
    if colour:
        body += b"COLR" + struct.pack(">H", 4) + bytes(colour) + b"\0"
    if flag is not None:
        body += b"FLAG" + struct.pack(">HH", 2, flag)
    return chunk(b"SURF", body)


square = points((0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0.5), (0.5, 0.5, 1))
write("lwo", "quad_and_triangles.lwo",
      lwob(chunk(b"SRFS", b"Red\0Blue\0\0"), square, surf(b"Red", (200, 100, 50), 0x0104), surf(b"Blue", None, 4),
           pols(([0, 1, 2, 3], 1), ([0, 1, 4], 2), ([1, 2, 4], 0), ([0, 1, 2, 3, 4], 1))))
detail = struct.pack(">HHHHh", 3, 0, 1, 2, -1) + struct.pack(">H", 1) + struct.pack(">HHHHh", 3, 2, 3, 4, 1)
write("lwo", "detail_polygons.lwo", lwob(chunk(b"SRFS", b"A\0"), square, chunk(b"POLS", detail)))
write("lwo", "points_only.lwo", lwob(points((1.5, -2, 0.25))))


# TMD: little-endian header, object table and per object vertices, normals, packets.
def tmd(objects, flags=0):
    table = b""
    data = b""
    base = 28 * len(objects)
    for verts, norms, packets, count in objects:
        vtop = base + len(data)
        data += b"".join(struct.pack("<hhhh", *v, 0) for v in verts)
        ntop = base + len(data)
        data += b"".join(struct.pack("<hhhh", *n, 0) for n in norms)
        ptop = base + len(data)
        data += b"".join(struct.pack("<I", w) for w in packets)
        table += struct.pack("<IIIIIIi", vtop, len(verts), ntop, len(norms), ptop, count, 0)
    return struct.pack("<III", 0x41, flags, len(objects)) + table + data


def header(olen, ilen, flag, mode):
    return olen | ilen << 8 | flag << 16 | mode << 24


def halves(a, b):
    return a | b << 16


verts = [(0, 0, 0), (100, 0, 0), (0, 100, 0), (100, 100, -50)]
norms = [(0, 0, 4096), (0, 4096, 0), (4096, 0, 0), (0, 0, -4096)]
cba, tsb = 37 << 6 | 5, 2 << 7 | 1 << 5 | 9
lit = [header(4, 3, 0, 0x21), 0x102030, halves(0, 0), halves(1, 2),
       header(5, 5, 0, 0x38), 0x405060, halves(0, 0), halves(1, 1), halves(2, 2), halves(3, 3),
       header(7, 5, 0, 0x24), 0x0201 | cba << 16, 0x0403 | tsb << 16, 0x0605, halves(2, 0), halves(1, 2)]
unlit = [header(4, 3, 1, 0x21), 0x070809, halves(0, 1), halves(2, 0),
         header(6, 5, 5, 0x20), 0x111111, 0x222222, 0x333333, halves(0, 1), halves(2, 0),
         header(12, 10, 1, 0x3E), 0x0201 | cba << 16, 0x0403 | tsb << 16, 0x0605, 0x0807, 1, 2, 3, 4, halves(0, 1),
         halves(2, 3)]
write("tmd_roundtrip", "lit.tmd", tmd([(verts, norms, lit, 3)]))
write("tmd_roundtrip", "unlit.tmd", tmd([(verts, [], unlit, 3)]))
write("tmd_roundtrip", "two_objects.tmd", tmd([(verts, norms, lit, 3), (verts, [], unlit, 3)], flags=1))
write("tmd_roundtrip", "empty.tmd", tmd([]))


# Textured paint: a texture count byte, each texture as a 16-bit length and its TIM bytes, then 51
# bytes a primitive: attr, four corners (x, y, z as 16-bit, u, v), four colour bytes, a normal,
# tpage, pmode, abr, clutX, clutY.
def tim_file(mode, clut, x, y, w, h, pixels):
    out = struct.pack("<II", 0x10, mode | (8 if clut else 0))
    if clut:
        out += struct.pack("<IHHHH", 12 + 2 * len(clut), 0, 480, len(clut), 1)
        out += b"".join(struct.pack("<H", c) for c in clut)
    out += struct.pack("<IHHHH", 12 + len(pixels), x, y, w, h) + pixels
    return out


def primitive(attr, corners, colours, tpage, pmode, abr, clut_x, clut_y):
    out = struct.pack("<H", attr)
    for (x, y, z, u, v) in corners:
        out += struct.pack("<hhhBB", x * 64, y * 64, z * 64, u, v)
    out += bytes(colours) + struct.pack("<hhhBBBHH", 0, 0, -4096, tpage, pmode, abr, clut_x, clut_y)
    return out


quad = [(-50, -50, 0, 0, 0), (50, -50, 0, 63, 0), (-50, 50, 0, 0, 63), (50, 50, 0, 63, 63)]
four_bit = tim_file(0, list(range(0, 0x8000, 0x800)), 640, 0, 16, 64, bytes(range(256)) * 8)
edge = tim_file(2, None, 1020, 508, 8, 8, bytes(range(128)))
textured = primitive(0x21 | 0x80, quad, [128, 128, 128, 128], 10, 0, 0, 0, 480)
translucent = primitive(0x21 | 0x40 | 0x10, quad, [200, 10, 90, 255], 31, 1, 3, 1008, 511)
lit_gouraud = primitive(0x01 | 0x02 | 0x08 | 0x04, quad, [255, 0, 64, 32], 0, 2, 2, 0, 0)
write("textured", "plain.bin", b"\x00" + lit_gouraud + translucent)
write("textured", "four_bit.bin", b"\x01" + struct.pack("<H", len(four_bit)) + four_bit + textured)
write("textured", "edge.bin", b"\x02" + struct.pack("<H", len(four_bit)) + four_bit +
      struct.pack("<H", len(edge)) + edge + textured + translucent)
