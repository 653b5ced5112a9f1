#!/usr/bin/env python3
"""Writes the version_info fuzzer's seeds from a compiled resource file.

Configure src/app/win32/version.rc.in by hand and compile it:
    x86_64-w64-mingw32-windres -O res top.rc -o version.res
(top.rc includes <windows.h> and the configured version.rc), then
    fuzz/make_version_info_corpus.py version.res fuzz/corpus/version_info
writes the program's version block as Windows returns it (UTF-16 keys) and the
same tree in the older layout with 8-bit keys.
"""
import struct
import sys
from pathlib import Path

RT_VERSION = 16


def align4(n):
    return (n + 3) & ~3


def read_id(data, at):
    """A resource type or name: 0xFFFF and a number, or zero-terminated UTF-16."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def version_resource(res):
    at = 0
    while at + 8 <= len(res):
        data_size, header_size = struct.unpack_from("<II", res, at)
        kind, _ = read_id(res, at + 8)
        data = res[at + header_size:at + header_size + data_size]
        if kind == RT_VERSION:
            return data
        at = align4(at + header_size + data_size)
    sys.exit("no VERSION resource in the file")


def parse_wide(block, at):
    """One node of the UTF-16 layout: (key, type, value, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", block, at)
    end = at + 6
    while struct.unpack_from("<H", block, end)[0] != 0:
        end += 2
    key = block[at + 6:end].decode("utf-16-le")
    value_at = align4(end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = block[value_at:value_at + value_size]
    if kind == 1 and value_length:
        value = value.decode("utf-16-le").split("\0")[0].encode("cp1252") + b"\0"
    children, child = [], align4(value_at + value_size)
    while child < at + length:
        children.append(parse_wide(block, child))
        child = align4(child + struct.unpack_from("<H", block, child)[0])
    return key, kind, value, children


def build_narrow(node):
    key, _, value, children = node
    out = bytearray(struct.pack("<HH", 0, len(value)) + key.encode("cp1252") + b"\0")
    out += bytes(align4(len(out)) - len(out)) + value
    for child in children:
        out += bytes(align4(len(out)) - len(out)) + build_narrow(child)
    struct.pack_into("<H", out, 0, len(out))
    return bytes(out)


def main():
    res_path, out_dir = Path(sys.argv[1]), Path(sys.argv[2])
    block = version_resource(res_path.read_bytes())
    out_dir.mkdir(parents=True, exist_ok=True)
    (out_dir / "cordalis_utf16").write_bytes(block)
    (out_dir / "cordalis_8bit").write_bytes(build_narrow(parse_wide(block, 0)))


if __name__ == "__main__":
    main()
