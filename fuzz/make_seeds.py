#!/usr/bin/python3
"""Small logging files of every kind as fuzzing seeds: make_seeds.py DIR"""
import os
import struct
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def para(kind, phases, version=b"3.00"):
    p = bytearray(3488)
    struct.pack_into("<i", p, 2272, kind)
    struct.pack_into("<i", p, 2448, phases)
    p[2393:2393 + len(version) + 1] = version + b"\0"
    struct.pack_into("<iii", p, 40, 2, 0, 0)          # fl_periods, fl_hours, fl_minutes
    struct.pack_into("<i", p, 52, 10)                 # fl_seconds
    struct.pack_into("<f", p, 2648, 4.0)              # dmax_limit
    return bytes(p)


def harm(k, ph):
    r = bytearray(460)
    struct.pack_into("<i", r, 0, 100 - k)
    for n in range(41):
        struct.pack_into("<f", r, 4 + 4 * n, 0.1 * n + k + ph)
        struct.pack_into("<f", r, 168 + 4 * n, 2.0 if n else 0.0)
    struct.pack_into("<f", r, 428, 1.0 + k)
    return bytes(r)


def flk(k, ph):
    r = bytearray(488)
    struct.pack_into("<iii", r, 0, 20 - k, 10 - k % 10, 2 if k < 4 else 3)
    struct.pack_into("<f", r, 48, 0.3 + 0.1 * k)
    struct.pack_into("<f", r, 448, 1.0 + k)
    struct.pack_into("<f", r, 460, 1.0 + k)
    return bytes(r)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


for P in (1, 3):
    C = 3
    body = b"".join(harm(k, p) for k in range(C) for p in range(P))
    write("harm%d.qel" % P, struct.pack("<i", C) + para(0, P) + body + bytes(552 * P))
    write("harm%d_crash.qel" % P, struct.pack("<i", C) + para(0, P) + body)
    sets = [0, 1, 1, 2, 2, 3, 3]
    body = b"".join(flk(k, p) for k in sets for p in range(P))
    write("flk%d.qel" % P, struct.pack("<i", len(sets)) + para(1, P) + body)
old = bytearray(3160)
struct.pack_into("<i", old, 2124, 0)
old[2153:2158] = b"2.03\0"
write("old203.qel", struct.pack("<i", 2) + bytes(old) + bytes(424) * 2 + bytes(552))
old[2153:2158] = b"2.04\0"
write("old204.qel", struct.pack("<i", 2) + bytes(old) + bytes(436) * 2 + bytes(552))
struct.pack_into("<i", old, 2124, 1)
write("oldflk.qel", struct.pack("<i", 2) + bytes(old) + bytes(464) * 2)
