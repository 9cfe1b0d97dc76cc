#!/usr/bin/python3
"""Builds the sample school: a fictional secondary school's timetable database.

Writes sample/datos/{Asig.DBF,NOMASG.DBF,PROF.DBF,GRUP.DBF,AULA.DBF} and sample/mtemp/SOLUC.DBF as
dBase III tables in code page 850. The output is deterministic: a fixed random seed and a fixed
"last update" date in every header, so running the script again gives the same bytes.

Usage: /usr/bin/python3 sample/make_sample.py [OUTPUT_DIR]   (default: the folder of this script)
"""

import os
import random
import sys
import unicodedata

import dbf

SEED = 20250908
HEADER_DATE = (125, 9, 8)  # 8 September 2025, as dBase stores it (years since 1900)
DAYS = 5

# (subject code, name, department)
CATALOG = {
    "LEN": ("Lengua Castellana y Literatura", "Lengua Castellana y Literatura"),
    "LUN": ("Literatura Universal", "Lengua Castellana y Literatura"),
    "MAT": ("Matemáticas", "Matemáticas"),
    "MAB": ("Matemáticas B", "Matemáticas"),
    "MCS": ("Matemáticas Aplicadas a las CC. SS.", "Matemáticas"),
    "ING": ("Inglés", "Inglés"),
    "FRA": ("Francés", "Francés"),
    "EUS": ("Euskera", "Euskera"),
    "GEH": ("Geografía e Historia", "Geografía e Historia"),
    "HES": ("Historia de España", "Geografía e Historia"),
    "HMC": ("Historia del Mundo Contemporáneo", "Geografía e Historia"),
    "GEO": ("Geografía", "Geografía e Historia"),
    "HAR": ("Historia del Arte", "Geografía e Historia"),
    "BYG": ("Biología y Geología", "Biología y Geología"),
    "BIO": ("Biología", "Biología y Geología"),
    "ANA": ("Anatomía Aplicada", "Biología y Geología"),
    "FYQ": ("Física y Química", "Física y Química"),
    "FIS": ("Física", "Física y Química"),
    "QUI": ("Química", "Física y Química"),
    "TEC": ("Tecnología y Digitalización", "Tecnología"),
    "DIG": ("Digitalización", "Tecnología"),
    "DTE": ("Dibujo Técnico", "Dibujo"),
    "PLA": ("Educación Plástica, Visual y Audiovisual", "Dibujo"),
    "EFI": ("Educación Física", "Educación Física"),
    "MUS": ("Música", "Música"),
    "REL": ("Religión", "Religión"),
    "FIL": ("Filosofía", "Filosofía"),
    "HFI": ("Historia de la Filosofía", "Filosofía"),
    "LAT": ("Latín", "Latín y Griego"),
    "GRI": ("Griego", "Latín y Griego"),
    "CUL": ("Cultura Clásica", "Latín y Griego"),
    "ECO": ("Economía", "Economía"),
    "EMP": ("Empresa y Diseño de Modelos de Negocio", "Economía"),
    "TUT": ("Tutoría", None),
}

# Subjects offered in the catalogue but not taught this year (optional subjects without enough pupils).
NOT_OFFERED = {
    1: ["EUS", "ORA", "PRO", "TEA", "ALE", "REF", "RMA", "VAE"],
    2: ["ORA", "PRO", "TEA", "ALE", "REF", "RMA", "VAE", "CCI"],
    3: ["EUS", "ORA", "PRO", "TEA", "ALE", "RMA", "VAE", "CCI", "EMR"],
    4: ["EUS", "ECO", "TEC", "ORA", "ALE", "VAE", "CCI", "EMR", "FUA", "ARE", "MAA"],
    5: ["EUS", "PSI", "ALE", "CAV", "TIC", "PRG", "HMU", "CCI", "FUA", "TIN"],
    6: ["EUS", "PSI", "ALE", "CAV", "TIC", "PRG", "HMU", "CTM", "FUA", "TIN", "ART"],
}
EXTRA_CATALOG = {
    "ORA": "Oratoria y Debate",
    "PRO": "Proyectos Interdisciplinares",
    "TEA": "Taller de Teatro",
    "ALE": "Alemán",
    "REF": "Refuerzo de Lengua",
    "RMA": "Refuerzo de Matemáticas",
    "VAE": "Atención Educativa",
    "CCI": "Cultura Científica",
    "EMR": "Emprendimiento",
    "FUA": "Fundamentos del Arte",
    "ARE": "Artes Escénicas y Danza",
    "MAA": "Matemáticas A",
    "PSI": "Psicología",
    "CAV": "Cultura Audiovisual",
    "TIC": "Tecnologías de la Información",
    "PRG": "Programación y Robótica",
    "HMU": "Historia de la Música y de la Danza",
    "CTM": "Ciencias de la Tierra y Medioambientales",
    "TIN": "Tecnología e Ingeniería",
    "ART": "Proyecto de Investigación",
}

# Activities that are not lessons (ACTIV 0).
ACTIVITIES = [
    ("GUA", "Guardia"),
    ("GRE", "Guardia de recreo"),
    ("BIB", "Biblioteca"),
    ("RDP", "Reunión de departamento"),
    ("JDP", "Jefatura de departamento"),
    ("AFA", "Atención a familias"),
    ("CTI", "Coordinación TIC"),
    ("CCO", "Coordinación de convivencia"),
    ("EDI", "Equipo directivo"),
    ("CCP", "Comisión de coordinación pedagógica"),
    ("PRA", "Prácticas del Máster de Profesorado"),
    ("PLE", "Plan lector"),
]

# Weekly hours per course; courses 5 and 6 (Bachillerato) depend on the branch.
PLANS = {
    1: [("LEN", 4), ("MAT", 4), ("ING", 4), ("GEH", 3), ("BYG", 3), ("EFI", 2), ("MUS", 2), ("PLA", 2),
        ("TEC", 2), ("REL", 1), ("FRA", 2), ("TUT", 1)],
    2: [("LEN", 4), ("MAT", 4), ("ING", 3), ("GEH", 3), ("FYQ", 3), ("EFI", 2), ("MUS", 2), ("PLA", 2),
        ("TEC", 2), ("REL", 1), ("FRA", 2), ("TUT", 1), ("EUS", 1)],
    3: [("LEN", 4), ("MAT", 4), ("ING", 3), ("GEH", 3), ("BYG", 3), ("FYQ", 3), ("EFI", 2), ("TEC", 2),
        ("REL", 1), ("CUL", 2), ("FRA", 2), ("TUT", 1)],
    4: [("LEN", 4), ("MAB", 4), ("ING", 3), ("GEH", 3), ("BYG", 3), ("FYQ", 3), ("EFI", 2), ("LAT", 3),
        ("DIG", 2), ("REL", 1), ("FRA", 1), ("TUT", 1)],
    (5, "C"): [("LEN", 3), ("ING", 3), ("FIL", 3), ("EFI", 2), ("MAT", 4), ("FYQ", 4), ("BYG", 4), ("DTE", 4),
               ("ANA", 2), ("REL", 1), ("TUT", 1), ("FRA", 1)],
    (5, "S"): [("LEN", 3), ("ING", 3), ("FIL", 3), ("EFI", 2), ("MCS", 4), ("ECO", 4), ("HMC", 4), ("LUN", 4),
               ("ANA", 2), ("REL", 1), ("TUT", 1), ("FRA", 1)],
    (5, "H"): [("LEN", 3), ("ING", 3), ("FIL", 3), ("EFI", 2), ("LAT", 4), ("GRI", 4), ("HMC", 4), ("LUN", 4),
               ("ANA", 2), ("REL", 1), ("TUT", 1), ("FRA", 1)],
    (6, "C"): [("LEN", 4), ("ING", 3), ("HES", 3), ("HFI", 3), ("MAT", 4), ("FIS", 4), ("QUI", 4), ("BIO", 4),
               ("FRA", 2), ("TUT", 1)],
    (6, "S"): [("LEN", 4), ("ING", 3), ("HES", 3), ("HFI", 3), ("MCS", 4), ("EMP", 4), ("GEO", 4), ("HAR", 4),
               ("FRA", 2), ("TUT", 1)],
    (6, "H"): [("LEN", 4), ("ING", 3), ("HES", 3), ("HFI", 3), ("LAT", 4), ("GRI", 4), ("HAR", 4), ("GEO", 4),
               ("FRA", 2), ("TUT", 1)],
}
BRANCH_NAMES = {"C": "Ciencias y Tecnología", "S": "Ciencias Sociales", "H": "Humanidades"}
BRANCH_OF_LETTER = {"A": "C", "B": "C", "C": "S", "D": "S", "E": "H"}

# Rooms that certain subjects prefer; the group's own room is the alternative when they are taken.
SPECIAL_ROOMS = [
    # ABREV, NOMBRE, EDIFICIO, MAXALUM, subjects
    ("LBG", "Laboratorio de Biología y Geología", "B", 24, ["ANA", "BIO"]),
    ("LFQ", "Laboratorio de Física y Química", "B", 24, ["FIS", "QUI"]),
    ("TTE", "Taller de Tecnología", "B", 24, ["TEC"]),
    ("INF", "Aula de Informática", "B", 28, ["DIG"]),
    ("MUS", "Aula de Música", "A", 30, ["MUS"]),
    ("PLA", "Aula de Plástica y Dibujo", "A", 30, ["PLA", "DTE"]),
    ("GIM", "Gimnasio", "G", 60, ["EFI"]),
    ("PIS", "Pista polideportiva", "G", 90, ["EFI"]),
]

FIRST_NAMES = [
    "Íñigo", "Begoña", "Ainhoa", "Iñaki", "Nerea", "Koldo", "Maite", "Fermín", "Xabier", "Amaia", "Álvaro",
    "Ángela", "Raúl", "Sofía", "Lucía", "Óscar", "Rubén", "Inés", "Andrés", "Jesús", "Asunción", "Concepción",
    "Patxi", "Edurne", "Estíbaliz", "José Ramón", "María Jesús", "Mikel", "Arantxa", "Joaquín", "Mónica", "Julián",
    "Teresa", "Nicolás", "Verónica", "Sebastián", "Garbiñe", "Ramón", "Irene", "Tomás", "Leire", "Víctor", "Belén",
    "Martín", "Pilar", "Germán", "Natalia", "Adrián", "Rocío", "Gonzalo", "Marián", "Héctor", "Itziar", "Jorge",
    "Elena", "Sergio", "Ana Belén", "Ignacio", "Carmen", "Fernando", "Noemí", "Emilio",
]
SURNAMES = [
    "Muñoz", "Ibáñez", "Goñi", "Echeverría", "Martínez", "Pérez", "Sánchez", "López", "García", "Urdániz",
    "Larrañaga", "Jiménez", "Núñez", "Álvarez", "Gómez", "Díaz", "Ruiz", "Elizalde", "Arregui", "Zubiri", "Oroz",
    "Iriarte", "Lasa", "Aldaz", "Gurbindo", "Beúnza", "Sáenz", "Ochoa", "Irigoyen", "Ezcurra", "Villanueva",
    "Ayerra", "Yániz", "Peña", "Azcárate", "Erice", "Múgica", "Ollo", "Garcés", "Ibarrola", "Induráin", "Zabaleta",
    "Castañeda", "Bermejo", "Fernández", "Rodríguez", "Hernández", "Mañeru", "Baztán", "Esparza",
]


def ascii_upper(text):
    return "".join(c for c in unicodedata.normalize("NFD", text) if unicodedata.category(c) != "Mn").upper()


def course_name(course):
    return f"{course if course <= 4 else course - 4}º {'ESO' if course <= 4 else 'Bach.'}"


def subject_name(name, course):
    # NOMBRE holds 40 characters: long names go without the course (ABREV8 still tells it).
    full = f"{name} {course_name(course)}"
    return full if len(full) <= 40 else name[:40]


def make_groups():
    groups = []
    for course in range(1, 7):
        for letter in "ABCDE":
            level = "ESO" if course <= 4 else "BACH"
            number = course if course <= 4 else course - 4
            abrev = f"{number}{'E' if course <= 4 else 'B'}{letter}"
            if course <= 4:
                description = f"{number}º ESO {letter}"
                plan = PLANS[course]
            else:
                branch = BRANCH_OF_LETTER[letter]
                description = f"{number}º Bach. {letter} ({BRANCH_NAMES[branch]})"
                plan = PLANS[(course, branch)]
            groups.append({"abrev": abrev, "course": course, "curso": str(number), "letter": letter, "level": level,
                           "description": description, "plan": plan})
    return groups


def make_subjects(groups):
    """NOMASG rows: one subject per (course, code), the activities, numbered in catalogue order."""
    subjects = {}
    rows = []
    for course in range(1, 7):
        taught = []
        for group in groups:
            if group["course"] == course:
                for code, _ in group["plan"]:
                    if code not in taught:
                        taught.append(code)
        for code in taught + NOT_OFFERED[course]:
            abrev = f"{code}{course}"
            name = CATALOG[code][0] if code in CATALOG else EXTRA_CATALOG[code]
            rows.append({"abrev": abrev, "abrev8": f"{code}{course:02d}", "name": subject_name(name, course),
                         "activ": 1, "taught": code in taught})
            subjects[(course, code)] = abrev
    for code, name in ACTIVITIES:
        rows.append({"abrev": code, "abrev8": code, "name": name, "activ": 0, "taught": False})
    return subjects, rows


def make_teachers(rng, groups):
    """60 teachers spread over the departments in proportion to their hours."""
    hours = {}
    for group in groups:
        for code, count in group["plan"]:
            department = CATALOG[code][1]
            if department:
                hours[department] = hours.get(department, 0) + count
    total = sum(hours.values())
    wanted = 60
    shares = {d: max(1, int(h * wanted / total)) for d, h in hours.items()}
    remainders = sorted(hours, key=lambda d: (h := hours[d] * wanted / total) - int(h), reverse=True)
    i = 0
    while sum(shares.values()) < wanted:
        shares[remainders[i % len(remainders)]] += 1
        i += 1
    while sum(shares.values()) > wanted:
        biggest = max(shares, key=lambda d: shares[d])
        shares[biggest] -= 1

    first_names = FIRST_NAMES[:]
    rng.shuffle(first_names)
    teachers = []
    used = set()
    for department in sorted(shares):
        for _ in range(shares[department]):
            first = first_names[len(teachers) % len(first_names)]
            while True:
                s1, s2 = rng.sample(SURNAMES, 2)
                if (first, s1, s2) not in used:
                    used.add((first, s1, s2))
                    break
            initials = ascii_upper(first[0] + s1[0] + s2[0])
            abrev = initials
            n = 2
            while any(t["abrev"] == abrev for t in teachers):
                abrev = f"{initials}{n}"
                n += 1
            teachers.append({"abrev": abrev, "name": f"{s1} {s2}, {first}", "department": department,
                             "load": 0})
    return teachers


def assign_teachers(rng, groups, teachers):
    """Gives each (group, subject) to a teacher of its department, keeping loads level."""
    by_department = {}
    for teacher in teachers:
        by_department.setdefault(teacher["department"], []).append(teacher)
    assignment = {}
    for group in groups:
        for code, count in group["plan"]:
            department = CATALOG[code][1]
            if department is None:
                continue
            # Prefer a teacher who already teaches this subject at this course, within a fair load.
            candidates = sorted(by_department[department], key=lambda t: (t["load"], rng.random()))
            teacher = candidates[0]
            teacher["load"] += count
            assignment[(group["abrev"], code)] = teacher
        # The tutor is the group's teacher with the most hours.
        loads = {}
        for code, count in group["plan"]:
            if (group["abrev"], code) in assignment:
                t = assignment[(group["abrev"], code)]
                loads[t["abrev"]] = loads.get(t["abrev"], 0) + count
        tutor_abrev = max(sorted(loads), key=lambda a: loads[a])
        tutor = next(t for t in teachers if t["abrev"] == tutor_abrev)
        tutor["load"] += 1
        assignment[(group["abrev"], "TUT")] = tutor
    return assignment


def hours_per_day(group):
    # Bachillerato has seven periods on Monday and Tuesday.
    return [7, 7, 6, 6, 6] if group["level"] == "BACH" else [6] * DAYS


def build_timetable(rng, groups, assignment, rooms_for):
    """One session per group and period; no teacher or special room in two places at once.

    Period by period, the groups that have a lesson then are matched to distinct teachers (augmenting
    paths), trying first the subjects whose teacher has the most hours left; a week that cannot be finished is
    started again with another shuffle."""
    for attempt in range(500):
        remaining = {g["abrev"]: {code: count for code, count in g["plan"]} for g in groups}
        teacher_left = {}
        for g in groups:
            for code, count in g["plan"]:
                t = assignment[(g["abrev"], code)]["abrev"]
                teacher_left[t] = teacher_left.get(t, 0) + count
        daily = {}
        room_busy = set()
        sessions = []
        ok = True
        for day in range(DAYS):
            for hour in range(7):
                present = [g for g in groups if hour < hours_per_day(g)[day]]
                slots_left = {g["abrev"]: sum(hours_per_day(g)[d] for d in range(day, DAYS)) - hour for g in present}

                def options(group):
                    left = remaining[group["abrev"]]
                    days_left = DAYS - day
                    codes = [c for c, n in left.items()
                             if n > 0 and daily.get((group["abrev"], c, day), 0) < (2 if n > days_left else 1)]
                    rng.shuffle(codes)
                    codes.sort(key=lambda c: (-teacher_left[assignment[(group["abrev"], c)]["abrev"]], -left[c]))
                    return codes

                teacher_of = {}  # teacher abrev -> (group abrev, code)
                choice = {}

                def place(group, seen):
                    for code in options(group):
                        teacher = assignment[(group["abrev"], code)]["abrev"]
                        if teacher in seen:
                            continue
                        seen.add(teacher)
                        holder = teacher_of.get(teacher)
                        if holder is None or place(next(g for g in present if g["abrev"] == holder[0]), seen):
                            teacher_of[teacher] = (group["abrev"], code)
                            choice[group["abrev"]] = code
                            return True
                    return False

                order = present[:]
                rng.shuffle(order)
                order.sort(key=lambda g: slots_left[g["abrev"]] - sum(remaining[g["abrev"]].values()))
                for group in order:
                    if not place(group, set()):
                        ok = False
                        break
                if not ok:
                    break
                for group in present:
                    code = choice[group["abrev"]]
                    teacher = assignment[(group["abrev"], code)]
                    room = group["room"]
                    for special in rooms_for.get(code, []):
                        if (special, day, hour) not in room_busy:
                            room = special
                            room_busy.add((special, day, hour))
                            break
                    remaining[group["abrev"]][code] -= 1
                    teacher_left[teacher["abrev"]] -= 1
                    key = (group["abrev"], code, day)
                    daily[key] = daily.get(key, 0) + 1
                    sessions.append((group, code, teacher, room, day, hour))
            if not ok:
                break
        if ok:
            return sessions
    raise SystemExit("no timetable found")


def fix_header_date(path):
    with open(path, "r+b") as f:
        f.seek(1)
        f.write(bytes(HEADER_DATE))


def write_table(path, layout, rows):
    table = dbf.Table(path, layout, dbf_type="db3", codepage="cp850")
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()
    fix_header_date(path)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    datos = os.path.join(out, "datos")
    mtemp = os.path.join(out, "mtemp")
    os.makedirs(datos, exist_ok=True)
    os.makedirs(mtemp, exist_ok=True)
    rng = random.Random(SEED)

    groups = make_groups()
    subjects, subject_rows = make_subjects(groups)
    teachers = make_teachers(rng, groups)
    assignment = assign_teachers(rng, groups, teachers)

    # Rooms: one for each group, numbered by floor, then the special rooms.
    rooms = []
    for i, group in enumerate(groups):
        abrev = f"{i // 10 + 1}{i % 10 + 1:02d}"
        group["room"] = abrev
        rooms.append({"abrev": abrev, "name": f"Aula {abrev}", "building": "A",
                      "max": 30 if group["level"] == "ESO" else 35})
    rooms_for = {}
    for abrev, name, building, maximum, codes in SPECIAL_ROOMS:
        rooms.append({"abrev": abrev, "name": name, "building": building, "max": maximum})
        for code in codes:
            rooms_for.setdefault(code, []).append(abrev)

    sessions = build_timetable(rng, groups, assignment, rooms_for)

    # NOMASG: N, N2, ID, ABREV, ABREV8, NOMBRE, POND, ACTIV, COLORFUENT, COLORFONDO, ESTILOFOND
    colours = ["clBlack", "clNavy", "clMaroon", "clGreen", "clPurple", "clTeal"]
    backgrounds = ["clWhite", "clYellow", "clAqua", "clLime", "clSilver", "clFuchsia"]
    write_table(
        os.path.join(datos, "NOMASG.DBF"),
        "N N(5,0); N2 N(5,0); ID N(5,0); ABREV C(4); ABREV8 C(8); NOMBRE C(40); POND N(5,2); ACTIV N(1,0); "
        "COLORFUENT C(10); COLORFONDO C(10); ESTILOFOND N(2,0)",
        [(i + 1, i + 1, i + 1, s["abrev"], s["abrev8"], s["name"][:40], 1.0 if s["activ"] else 0.5, s["activ"],
          colours[i % len(colours)], backgrounds[i % len(backgrounds)], i % 3)
         for i, s in enumerate(subject_rows)])

    # PROF: N, ID, NOMBRE, ABREV, MAXHDIA, MINHDIA, DEPART, PREF, CUAD1, CUAD2; three placeholders "*".
    prof_rows = []
    for i, t in enumerate(teachers):
        prof_rows.append((i + 1, i + 1, t["name"][:40], t["abrev"], 5, 2, t["department"], "", "", ""))
    for k, name in enumerate(["Vacante de Matemáticas", "Sustitución pendiente", "Profesor por asignar"]):
        position = [7, 30, len(prof_rows)][k]
        prof_rows.insert(position, (0, 0, name, "*", 0, 0, "", "", "", ""))
    write_table(
        os.path.join(datos, "PROF.DBF"),
        "N N(4,0); ID N(4,0); NOMBRE C(40); ABREV C(4); MAXHDIA N(2,0); MINHDIA N(2,0); DEPART C(40); "
        "PREF C(80); CUAD1 C(200); CUAD2 C(200)",
        prof_rows)

    # GRUP: N, ID, ABREV, TURNO, NIVEL, CURSO, GRUPO, MAXALUM, DESCRIP, PREF, CUAD1, CUAD2
    write_table(
        os.path.join(datos, "GRUP.DBF"),
        "N N(4,0); ID N(4,0); ABREV C(4); TURNO C(1); NIVEL C(5); CURSO C(3); GRUPO C(1); MAXALUM N(3,0); "
        "DESCRIP C(40); PREF C(80); CUAD1 C(200); CUAD2 C(200)",
        [(i + 1, i + 1, g["abrev"], "M", g["level"], g["curso"], g["letter"],
          30 if g["level"] == "ESO" else 35, g["description"][:40], "", "", "")
         for i, g in enumerate(groups)])

    # AULA: N, ID, ABREV, NOMBRE, MAXALUM, EDIFICIO, PREF, CUAD1, CUAD2; two placeholders "*".
    aula_rows = [(i + 1, i + 1, r["abrev"], r["name"], r["max"], r["building"], "", "", "")
                 for i, r in enumerate(rooms)]
    aula_rows.insert(12, (0, 0, "*", "Aula en obras", 0, "A", "", "", ""))
    aula_rows.append((0, 0, "*", "Sin aula", 0, "", "", "", ""))
    write_table(
        os.path.join(datos, "AULA.DBF"),
        "N N(4,0); ID N(4,0); ABREV C(4); NOMBRE C(40); MAXALUM N(3,0); EDIFICIO C(1); PREF C(80); "
        "CUAD1 C(200); CUAD2 C(200)",
        aula_rows)

    # Asig.DBF: one row per group and subject, with the preferred room and the group's own room.
    asig_rows = []
    for g in groups:
        for code, count in g["plan"]:
            teacher = assignment[(g["abrev"], code)]
            preferred = rooms_for.get(code, [])
            room_list = (preferred + [g["room"]] + ["", "", "", ""])[:5]
            tipo = "T" if code == "TUT" else ("P" if code in ("FRA", "REL", "EUS", "CUL", "LAT", "DIG") else "O")
            pupils = 26 + (hash_number(g["abrev"] + code) % 6) if g["level"] == "ESO" else 22 + (
                hash_number(g["abrev"] + code) % 10)
            asig_rows.append((subjects[(g["course"], code)], *room_list, "B" if preferred else "A", g["abrev"],
                              pupils, teacher["abrev"], tipo, float(count)))
    write_table(
        os.path.join(datos, "Asig.DBF"),
        "ASIG C(4); AULA0 C(4); AULA1 C(4); AULA2 C(4); AULA3 C(4); AULA4 C(4); EDIFICIO C(1); GRUP C(4); "
        "NALUM N(3,0); PROF C(4); TIPO C(1); NHORAS N(4,1)",
        asig_rows)

    # SOLUC: one row per group and period, ordered by group, day and period.
    plan_hours = {(g["abrev"], code): count for g in groups for code, count in g["plan"]}
    sessions.sort(key=lambda s: (groups.index(s[0]), s[4], s[5]))
    soluc_rows = []
    for group, code, teacher, room, day, hour in sessions:
        subject = subjects[(group["course"], code)]
        name = CATALOG[code][0]
        soluc_rows.append((subject, room, group["abrev"], group["curso"], day + 1, group["letter"], hour + 1,
                           group["level"], teacher["abrev"], plan_hours[(group["abrev"], code)],
                           "TU" if code == "TUT" else "CL", "M", f"{code}{group['course']:02d}", name[:30],
                           30 if group["level"] == "ESO" else 35))
    write_table(
        os.path.join(mtemp, "SOLUC.DBF"),
        "ASIG C(4); AULA C(4); CODGRUPO C(4); CURSO C(3); DIA N(1,0); GRUPO C(1); HORA N(2,0); NIVEL C(5); "
        "PROF C(4); SESIONES N(2,0); TAREA C(2); TURNO C(1); CODASIG C(8); CLITEASIG C(30); NUMALGR N(3,0)",
        soluc_rows)

    print(f"NOMASG {len(subject_rows)}, PROF {len(prof_rows)}, GRUP {len(groups)}, AULA {len(aula_rows)}, "
          f"Asig {len(asig_rows)}, SOLUC {len(soluc_rows)}")


def hash_number(text):
    # A stable number for a text (Python's hash() changes between runs).
    value = 0
    for c in text.encode("utf-8"):
        value = (value * 131 + c) % 1000003
    return value


if __name__ == "__main__":
    main()
