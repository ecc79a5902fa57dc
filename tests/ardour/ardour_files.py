#!/usr/bin/env python3
"""Reads and edits what Ardour wrote for the plug-in: the scanner's cache and the chunk kept in
a session file. Each command prints what it checked and exits 1 on the first mismatch."""
import base64
import struct
import sys
import xml.etree.ElementTree as ET

UNIQUE_ID = 0x5A6D4C79  # 'ZmLy'
CHUNK_SIZE = 368
PROGRAMS = 32
PROGRAM = 56


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def expect(what, got, wanted):
    if got != wanted:
        fail(f"{what} is {got!r}, expected {wanted!r}")
    print(f"ok: {what} = {got!r}")


def check_cache(path, vendor):
    info = ET.parse(path).getroot().find("VST2Info")
    if info is None:
        fail("the cache holds no VST2Info: the scan failed")
    expect("name", info.get("name"), "ZEM Lyrebloom")
    expect("creator", info.get("creator"), vendor)
    expect("n_inputs", info.get("n_inputs"), "2")
    expect("n_outputs", info.get("n_outputs"), "2")
    expect("can_process_replace", info.get("can_process_replace"), "1")
    expect("has_editor", info.get("has_editor"), "1")
    expect("is_instrument", info.get("is_instrument"), "0")
    expect("id", info.get("id"), str(UNIQUE_ID))


def chunk_element(session):
    tree = ET.parse(session)
    for processor in tree.getroot().iter("Processor"):
        if processor.get("type") == "lxvst":
            element = processor.find("lxvst/chunk")
            if element is not None and element.text:
                return tree, element
    fail("no lxvst chunk in " + session)


def decode(text):
    data = base64.b64decode(text.strip())
    expect("chunk size", len(data), CHUNK_SIZE)
    tag, ident, count, current = struct.unpack_from("<IIIi", data, 0)
    expect("format tag", hex(tag), hex(0x01000000))
    expect("identifier", hex(ident), hex(UNIQUE_ID))
    expect("program count", count, 6)
    if not 0 <= current < 6:
        fail(f"current program {current} out of range")
    return bytearray(data), current


def values_of(data, program):
    return list(struct.unpack_from("<8f", data, PROGRAMS + PROGRAM * program + 24))


def check_and_edit(session, expected, decay, name):
    """The saved chunk holds the values set; then the current program gets another Decay and
    name, so that a reopen can only show them if the chunk is restored."""
    tree, element = chunk_element(session)
    data, current = decode(element.text)
    values = values_of(data, current)
    for index, value in expected.items():
        expect(f"saved value {index}", values[index], value)
    base = PROGRAMS + PROGRAM * current
    data[base:base + 24] = name.encode().ljust(24, b"\0")
    struct.pack_into("<f", data, base + 24 + 4 * 2, decay)
    element.text = base64.b64encode(bytes(data)).decode()
    tree.write(session, encoding="UTF-8", xml_declaration=True)
    print(f"edited program {current}: Decay {decay}, name {name!r}")


def check_name(session, name):
    _, element = chunk_element(session)
    data, current = decode(element.text)
    stored = bytes(data[PROGRAMS + PROGRAM * current:][:24]).rstrip(b"\0").decode()
    expect("restored program name", stored, name)


def main():
    command = sys.argv[1]
    if command == "cache":
        check_cache(sys.argv[2], sys.argv[3])
    elif command == "edit":
        expected = {int(k): float(v) for k, v in (a.split("=") for a in sys.argv[5:])}
        check_and_edit(sys.argv[2], expected, float(sys.argv[3]), sys.argv[4])
    elif command == "name":
        check_name(sys.argv[2], sys.argv[3])
    else:
        fail("unknown command " + command)


if __name__ == "__main__":
    main()
