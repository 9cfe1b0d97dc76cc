#!/usr/bin/python3
"""Sets the two time stamps that chmcmd writes into a compiled help file: the one in the ITSF header
and the one of record 10 of /#SYSTEM. chmcmd takes them from the clock, so that two builds of the
same sources give different files; with this, a build where SOURCE_DATE_EPOCH is set gives the same
file each time.

    set_chm_time.py FILE.chm [SECONDS]

SECONDS defaults to SOURCE_DATE_EPOCH; without either, the file is left as it is.

Exit code 1, with the reason, for a file that is not laid out as expected; the file is then
removed, so that the next build compiles it again instead of taking it as up to date.
"""
import os
import struct
import sys


def encint(data, pos):
    """A variable-length number of the directory: 7 bits a byte, high bit set on all but the last."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def directory_entry(data, name):
    """(section, offset, length) of a file in the directory's listing chunks (PMGL)."""
    header_length = struct.unpack_from("<I", data, 8)[0]
    directory_offset = struct.unpack_from("<Q", data, 0x48)[0]
    content_offset = struct.unpack_from("<Q", data, 0x58)[0] if header_length >= 0x60 else None
    if data[directory_offset : directory_offset + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    itsp_length = struct.unpack_from("<I", data, directory_offset + 8)[0]
    chunk_size = struct.unpack_from("<I", data, directory_offset + 0x10)[0]
    chunk_count = struct.unpack_from("<I", data, directory_offset + 0x2C)[0]
    first_chunk = directory_offset + itsp_length
    for chunk in range(chunk_count):
        start = first_chunk + chunk * chunk_size
        if data[start : start + 4] != b"PMGL":
            continue
        free_space = struct.unpack_from("<I", data, start + 4)[0]
        pos, end = start + 20, start + chunk_size - free_space
        while pos < end:
            length, pos = encint(data, pos)
            entry_name = data[pos : pos + length]
            pos += length
            section, pos = encint(data, pos)
            offset, pos = encint(data, pos)
            size, pos = encint(data, pos)
            if entry_name == name:
                return section, content_offset, offset, size
    raise ValueError(f"no {name.decode()} in the directory")


def main():
    path = sys.argv[1]
    seconds = sys.argv[2] if len(sys.argv) > 2 else os.environ.get("SOURCE_DATE_EPOCH", "")
    if not seconds:
        return 0
    seconds = int(seconds) & 0xFFFFFFFF
    with open(path, "rb") as f:
        data = bytearray(f.read())
    try:
        if data[:4] != b"ITSF":
            raise ValueError("not a compiled help file (no ITSF)")
        section, content_offset, offset, size = directory_entry(data, b"/#SYSTEM")
        if section != 0 or content_offset is None:
            raise ValueError("/#SYSTEM is not stored uncompressed")
        start = content_offset + offset
        pos, end, found = start + 4, start + size, False
        while pos + 4 <= end:
            code, length = struct.unpack_from("<HH", data, pos)
            if code == 10 and length == 4:
                struct.pack_into("<I", data, pos + 4, seconds)
                found = True
            pos += 4 + length
        if not found:
            raise ValueError("/#SYSTEM has no time stamp record")
    except (ValueError, IndexError, struct.error) as failure:
        print(f"set_chm_time.py: {path}: {failure}", file=sys.stderr)
        os.remove(path)
        return 1
    struct.pack_into(">I", data, 16, seconds)
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
