#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: well-formed chunks, records and value files in
both byte orders, plus a few dispatcher scripts. Run from anywhere; writes beside itself."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ID = 0x5A6D4C79  # 'ZmLy'
VALUES = [0.5, 1.0, 0.7, 0.3, 0.5, 0.5, 0.1, 0.0]


def name(text):
    return text.encode().ljust(24, b"\0")[:24]


def program(k, order):
    return name(f"Seed {k}") + struct.pack(order + "8f", *[(v + 0.05 * k) % 1.0 for v in VALUES])


def chunk(order, current=0):
    head = struct.pack(order + "IIIi", 0x01000000, ID, 6, current) + bytes(16)
    return head + b"".join(program(k, order) for k in range(6))


def preset(order):
    return struct.pack(order + "I", ID) + b"\x21" + program(3, order)


def bank(order):
    return struct.pack(order + "I", ID) + b"\x37" + b"".join(program(k, order) for k in range(6))


def utf16(text):
    return (text + "\0").encode("utf-16-le")


def value_files(files):
    """fuzz_store's input: per value file a presence byte, a 16-bit length and the bytes."""
    order = ["DefaultBank.bin", "DefaultPreset.bin", "MemoA.bin", "MemoB.bin", "CurrDir.sz",
             "CurrBank.sz", "CurrPreset.sz", "MemoA.sz", "DefaultBank.sz"]
    out = b""
    for f in order:
        data = files.get(f)
        out += struct.pack("<BH", 1 if data is not None else 0, len(data or b"")) + (data or b"")
    return out


def op_dispatch(opcode, index=0, value=0, opt=0.0, text=b""):
    take = 0 if text else 1  # a multiple of 4 takes 400 text bytes
    out = bytes([0, (opcode + 4) % 88, (index + 2) % 16, (value + 2) % 16]) + struct.pack("<f", opt)
    out += bytes([take]) + (text.ljust(400, b"\0") if text else b"")
    return out


def op_param(index, value):
    return bytes([2, (index + 2) % 16]) + struct.pack("<f", value)


def op_process(frames):
    return bytes([3]) + struct.pack("<H", frames)


def write(target, name_, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name_), "wb") as f:
        f.write(data)


write("fuzz_chunk", "native", chunk("<", 2))
write("fuzz_chunk", "reversed", chunk(">", 4))
write("fuzz_chunk", "index-out-of-range", chunk("<", 6))
write("fuzz_chunk", "short", chunk("<")[:367])

write("fuzz_records", "preset", b"\x00" + preset("<"))
write("fuzz_records", "bank", b"\x01" + bank("<"))
write("fuzz_records", "preset-file-reversed", b"\x16" + preset(">"))
write("fuzz_records", "bank-file-cut", b"\x05" + bank("<")[:150])

write("fuzz_store", "empty", value_files({}))
write("fuzz_store", "all-values", value_files({
    "DefaultBank.bin": bank("<"), "DefaultPreset.bin": preset(">"), "MemoA.bin": preset("<"),
    "MemoB.bin": preset("<"), "CurrDir.sz": utf16("/home/user/presets/"),
    "CurrBank.sz": utf16("strings.zeb"), "CurrPreset.sz": utf16("bright.zem")}))
write("fuzz_store", "damaged", value_files({
    "DefaultBank.bin": bank("<")[:200], "DefaultPreset.bin": preset("<") + b"\0",
    "MemoA.sz": utf16("text in place of a record"), "CurrDir.sz": b"\x00\xd8" * 300,
    "DefaultBank.sz": bank("<")}))

write("fuzz_dispatcher", "host-start", op_dispatch(0) + op_dispatch(10, opt=48000.0)
      + op_dispatch(11, value=10) + op_dispatch(12, value=1) + op_param(0, 0.8) + op_process(512)
      + op_dispatch(23) + op_dispatch(12, value=0))
write("fuzz_dispatcher", "names", op_dispatch(4, text=b"A very long program name indeed")
      + op_dispatch(5) + op_dispatch(7, index=3) + op_dispatch(29, index=5) + op_dispatch(45)
      + op_dispatch(56, index=7))
write("fuzz_dispatcher", "chunk", op_dispatch(24, value=1, text=chunk("<", 1)) + op_process(64))
write("fuzz_dispatcher", "odd-rates", op_dispatch(10, opt=1.0) + op_process(300)
      + op_dispatch(10, opt=float("inf")) + op_process(300) + op_param(4, float("nan"))
      + op_process(4096))
