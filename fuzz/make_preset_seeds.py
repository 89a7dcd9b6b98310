#!/usr/bin/env python3
"""Writes the small seed corpora of the preset, state and MIDI fuzz targets into seeds/<target>/.

Each seed is one valid input of its target (see the target's header comment for the layout), so
mutations start from files and states the code accepts. Run from this folder; the output is
committed, so this only needs running again when a layout changes.
"""
import os
import struct

PLUG_ID = b"Fuzz"  # the fuzz plug-ins' four-character ID
VERSION = 10203     # their version 1.2.3, decimal


def name28(text):
    return text.encode()[:27].ljust(28, b"\0")


def fxp_params(values, name="Init"):
    return (b"CcnK" + struct.pack(">I", 0) + b"FxCk" + struct.pack(">III", 1, 0, VERSION)[:4] + PLUG_ID +
            struct.pack(">II", VERSION, len(values)) + name28(name) + b"".join(struct.pack(">f", v) for v in values))


def state(values):
    return b"".join(struct.pack("<d", v) for v in values)


def fxp_chunk(chunk, name="Init"):
    return (b"CcnK" + struct.pack(">I", len(chunk) + 60) + b"FPCh" + struct.pack(">I", 1) + PLUG_ID +
            struct.pack(">II", VERSION, 4) + name28(name) + struct.pack(">I", len(chunk)) + chunk)


def bank_header(form, count, current, size_field=0):
    return (b"CcnK" + struct.pack(">I", size_field) + form + struct.pack(">I", 2) + PLUG_ID +
            struct.pack(">III", VERSION, count, current) + bytes(124))


def preset_bank_chunk(presets):
    out = b""
    for name, values in presets:
        out += struct.pack("<i", len(name)) + name.encode()
        out += (b"\1" + state(values)) if values is not None else b"\0"
    return out


HEADER = b"tffp" + struct.pack("<I", 0x00010000)
INIT = [0.5, 1.0, 0.0, 1.0]
HOT = [0.9, 0.2, 1.0, 3.0]
BANK = [("Init", INIT), ("Hot", HOT), ("empty", None)]

seeds = {
    "preset_files": {
        "program": b"\0" + fxp_params([0.25, 0.5, 0.0, 1.0 / 3]),
        "bank": b"\1" + bank_header(b"FxBk", 2, 1) + fxp_params([0.25, 0.5, 0, 0], "A") + fxp_params([1, 1, 1, 1], "B"),
        "chunk_program": b"\2" + fxp_chunk(HEADER + state(HOT), "Hot"),
        "chunk_program_no_header": b"\2" + fxp_chunk(state(INIT)),
        "chunk_bank": b"\3" + bank_header(b"FBCh", 3, 1, 0) + struct.pack(">I", len(HEADER + preset_bank_chunk(BANK)))
        + HEADER + preset_bank_chunk(BANK),
    },
    "state_chunks": {
        "state": b"\0\0" + state(INIT),
        "presets": b"\1\0" + preset_bank_chunk(BANK + [("Last", INIT)]),
        "chunk": b"\2\0" + state(HOT),
        "blob": b"\3\1" + b"AAAAAAAA4D8AAAAAAADwPwAAAAAAAAAAAAAAAAAACEA=",
    },
    "state_dictionary": {
        "init": bytes([0x3F, 0, 0, 4]) + b"Init" + state(INIT),
        "unknown_name": bytes([0x3F, 0, 0, 3]) + b"Hot" + state(HOT),
        "foreign": bytes([0x3F, 0x04, 0]) + b"bdl4" + bytes([4]) + b"Init" + state(INIT),
        "short_data": bytes([0x3F, 0, 0, 4]) + b"Init" + state(INIT)[:20],
    },
    "midi": {
        "notes": bytes([3, 0, 0x93, 60, 100, 5, 0x83, 60, 0, 9, 0xE2, 0, 64]) + bytes(24) + bytes([30, 0xF0, 0x7E, 0x7F, 0xF7]),
        "controls": bytes([2, 0, 0xB1, 7, 127, 0, 0xC0, 12, 0]) + bytes(16) + bytes([10, 0xF0, 1, 2, 3, 0xF7]),
    },
}

for target, files in seeds.items():
    os.makedirs(os.path.join("seeds", target), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join("seeds", target, name), "wb") as f:
            f.write(data)
