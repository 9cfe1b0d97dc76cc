#!/usr/bin/python3
"""Writes the fuzzers' seed inputs (fuzz/corpus/<target>/) from the test fixtures.

Input layouts are those of fuzz/harness/harness.h: a flags byte, then the files separated by
@@PART@@. Run from anywhere; rewrites the seed folders.
"""
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
MARK = b"@@PART@@"


def read(relative):
    return (ROOT / relative).read_bytes()


def save(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def table_seeds():
    fixtures = "src/dbase/tests/fixtures/"
    pairs = [
        ("db3_850", fixtures + "db3_850.dbf", fixtures + "db3_850.dbt", 0),
        ("fp_850", fixtures + "fp_850.dbf", fixtures + "fp_850.fpt", 1),
        ("vfp_1252", fixtures + "vfp_1252.dbf", fixtures + "vfp_1252.fpt", 1),
        ("minus", fixtures + "minus.dbf", fixtures + "minus.dbt", 0),
        ("asig_dbt", fixtures + "Asig.DBF", fixtures + "ASIG.DBT", 0),
        ("clp_1252", fixtures + "clp_1252.dbf", None, 0),
        ("foxpro_asig", "src/timetable/tests/fixtures/foxpro/Asig.DBF",
         "src/timetable/tests/fixtures/foxpro/Asig.FPT", 1),
        ("escuela_prof", "src/timetable/tests/fixtures/escuela/PROF.DBF", None, 2),
        ("grup_vacia", "src/timetable/tests/fixtures/vacia/GRUP.DBF", None, 0),
        ("grup_badmax", "src/export/tests/fixtures/odd/GRUP_BADMAX.DBF", None, 0),
    ]
    for name, table, memo, flags in pairs:
        data = bytes([flags]) + read(table)
        if memo:
            data += MARK + read(memo)
        save("table", name, data)
    # Tables cut short: the last record cut, and an end mark where the second record starts.
    table = read(fixtures + "db3_850.dbf")
    memo = read(fixtures + "db3_850.dbt")
    save("table", "db3_850_cut", b"\x00" + table[:-6] + MARK + memo)
    header_length = int.from_bytes(table[8:10], "little")
    record_length = int.from_bytes(table[10:12], "little")
    marked = bytearray(table)
    marked[header_length + record_length] = 0x1A
    save("table", "db3_850_end_mark", b"\x00" + bytes(marked) + MARK + memo)


def export_seeds():
    names = ["Asig.DBF", "NOMASG.DBF", "PROF.DBF", "GRUP.DBF", "AULA.DBF", "SOLUC.DBF"]
    for school in ["empty", "school"]:
        parts = [read(f"src/export/tests/fixtures/{school}/{n}") for n in names]
        save("export", school, b"\x00" + MARK.join(parts))
    # The FoxPro Asig with its memo file in the school's place.
    parts = [read(f"src/export/tests/fixtures/school/{n}") for n in names]
    parts[0] = read("src/timetable/tests/fixtures/foxpro/Asig.DBF")
    parts.append(read("src/timetable/tests/fixtures/foxpro/Asig.FPT"))
    save("export", "foxpro_asig", b"\x01" + MARK.join(parts))
    # Teachers and rooms that are only placeholders, a group with a MAXALUM that is no integer.
    parts = [read(f"src/export/tests/fixtures/empty/{n}") for n in names]
    parts[2] = read("src/export/tests/fixtures/odd/PROF_ONLYSTAR.DBF")
    save("export", "prof_only_star", b"\x00" + MARK.join(parts))


def command_line_seeds():
    lines = [
        b"TransSelvarEDUCA.exe importar 1A2B",
        b'"C:\\Archivos de programa\\TransSelvarEDUCA.exe" "importar" 0001a2b',
        b"C:\\Archivos de programa\\TransSelvarEDUCA.exe importar FFFFFFFF",
        b'prog "" IMPORTAR 123456789',
        b"prog importar $1A",
        b"prog\timportar\t0x1A",
        b'prog "impo"rtar" -1A',
        b"prog \x82\xa0\x22 x \x81",
        b"prog --salida\x00a.xml\x00--datos=d",
        b"1A2B",
        # Three arguments are not the host's two: the program starts on its own.
        b"prog importar 1A2B otro",
    ]
    for i, line in enumerate(lines):
        save("command_line", f"line{i:02d}", line)


def ini_seeds():
    seeds = [
        ("Transformadores", "Transformado", "1", b""),
        ("Transformadores", "Transformado", "0",
         b"[Morvanta]\r\nVersion=5\r\n\r\n[Transformadores]\r\nTransformado=1\r\nOtro=2\r\n"),
        ("transformadores", "TRANSFORMADO", "1", b"\xef\xbb\xbf[ Transformadores ]\nTransformado\n[x]\nTransformado=9"),
        ("Transformadores", "Transformado", "1", b"; comentario\n[Otra]\nk=v"),
    ]
    for i, (section, key, value, content) in enumerate(seeds):
        data = MARK.join([section.encode(), key.encode(), value.encode(), content])
        save("ini", f"ini{i:02d}", data)


def main():
    for target in ["table", "export", "command_line", "ini"]:
        shutil.rmtree(CORPUS / target, ignore_errors=True)
    table_seeds()
    export_seeds()
    command_line_seeds()
    ini_seeds()
    for folder in sorted(CORPUS.iterdir()):
        files = list(folder.iterdir())
        size = sum(f.stat().st_size for f in files)
        print(f"{folder.name}: {len(files)} seeds, {size} bytes")


if __name__ == "__main__":
    main()
