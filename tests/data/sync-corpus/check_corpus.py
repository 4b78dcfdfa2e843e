#!/usr/bin/python3
"""Checks the hand-written sync corpus before tests rely on it.

Each .ics must be one CalDAV resource: one VCALENDAR without METHOD whose
events or journals all carry the same single UID, one master and distinct
RECURRENCE-IDs, with a VTIMEZONE for every TZID it names. Each .vcf must be
one vCard with one UID, its version in its file name. Both kinds use CRLF
and fold at 75 octets without splitting a UTF-8 character. Across the
corpus, UIDs are unique, RELATED-TO, MEMBER and RELATED urn:uuid links land
on an item here, embedded photos decode to the image type they claim, and
README.md has exactly one row per item.

Prints every problem as "FILE: problem" and exits 1; exits 0 when all pass.

Usage: check_corpus.py [DIR]   (default: the folder of this script)
Needs python3-icalendar and python3-vobject; they are Debian packages, so
this runs with the system interpreter rather than whatever python3 is first
on PATH.
"""
import base64
import datetime
import os
import re
import sys

try:
    import icalendar
    import vobject
except ImportError as e:
    sys.exit(f"{e}: apt-get install python3-icalendar python3-vobject, then run with /usr/bin/python3")

ITEM_KINDS = {"event-": "VEVENT", "journal-": "VJOURNAL"}
OWN_FILES = {"README.md", "check_corpus.py", "__pycache__"}
IMAGE_MAGIC = {"JPEG": b"\xff\xd8\xff", "PNG": b"\x89PNG\r\n\x1a\n"}


class Problems:
    def __init__(self):
        self.items = []

    def add(self, name, text):
        self.items.append((name, text))


def check_lines(name, data, problems, blank_after_indent=False):
    """CRLF only, at most 75 octets a line, every line whole UTF-8.

    A fold inside a multi-octet character leaves a line that is not UTF-8 on
    its own. vCard 2.1 closes an indented base64 value with an empty line,
    so blank_after_indent lets an empty line follow an indented one.
    """
    if not data.endswith(b"\r\n"):
        problems.add(name, "does not end with CRLF")
    lines = data.split(b"\r\n")
    if lines[-1] == b"":
        lines.pop()
    for number, line in enumerate(lines, 1):
        where = f"line {number}"
        if b"\r" in line or b"\n" in line:
            problems.add(name, f"{where}: bare CR or LF")
        if len(line) > 75:
            problems.add(name, f"{where}: {len(line)} octets, more than 75")
        try:
            line.decode("utf-8")
        except UnicodeDecodeError:
            problems.add(name, f"{where}: not UTF-8 on its own (fold inside a character?)")
        if line == b"":
            previous = lines[number - 2] if number > 1 else b""
            if not (blank_after_indent and previous[:1] in (b" ", b"\t")):
                problems.add(name, f"{where}: empty line")
        if number == 1 and line[:1] in (b" ", b"\t"):
            problems.add(name, "first line is a continuation")


def unfold(text):
    return re.sub(r"\r\n[ \t]", "", text).split("\r\n")


def param_head(line):
    """Name and parameters of a content line: up to the first colon outside quotes."""
    quoted = False
    for i, ch in enumerate(line):
        if ch == '"':
            quoted = not quoted
        elif ch == ":" and not quoted:
            return line[:i]
    return line


def tzids_named(text):
    names = set()
    for line in unfold(text):
        for m in re.finditer(r';TZID=("[^"]*"|[^;:]*)', param_head(line)):
            names.add(m.group(1).strip('"'))
    return names


def is_date_only(value):
    return isinstance(value, datetime.date) and not isinstance(value, datetime.datetime)


def date_kind(value):
    """'date', 'floating', or 'zoned' (a zone or UTC)."""
    if is_date_only(value):
        return "date"
    return "floating" if value.tzinfo is None else "zoned"


def value_of(comp, prop):
    """The date or date-time of a single-valued property; None when absent or unparsed."""
    return getattr(comp.get(prop), "dt", None)


def check_times(name, comp, problems):
    """RFC 5545 3.8.2.2, 3.8.4.4, 3.3.10: DTEND, RECURRENCE-ID and UNTIL follow DTSTART."""
    start = value_of(comp, "DTSTART")
    if start is None:
        return
    kind = date_kind(start)
    if "DTEND" in comp and "DURATION" in comp:
        problems.add(name, "has both DTEND and DURATION")
    for prop in ("DTEND", "RECURRENCE-ID"):
        other = value_of(comp, prop)
        if other is not None and date_kind(other) != kind:
            problems.add(name, f"{prop} is {date_kind(other)}, DTSTART is {kind}")
    rules = comp.get("RRULE")
    for rule in rules if isinstance(rules, list) else [rules] if rules else []:
        for until in rule.get("UNTIL", []):
            if kind == "date" and not is_date_only(until):
                problems.add(name, "UNTIL is a date-time but DTSTART is a date")
            if kind != "date" and is_date_only(until):
                problems.add(name, "UNTIL is a date but DTSTART is a date-time")
            if kind == "zoned" and not is_date_only(until) and until.utcoffset() != datetime.timedelta(0):
                problems.add(name, "UNTIL must be UTC when DTSTART has a zone")
            if kind == "floating" and getattr(until, "tzinfo", None) is not None:
                problems.add(name, "UNTIL must be floating like DTSTART")


def check_ics(name, data, problems):
    """Returns (uid, links) of the item, or (None, []) when it cannot say."""
    check_lines(name, data, problems)
    text = data.decode("utf-8", errors="replace")
    if sum(1 for line in unfold(text) if line.upper() == "BEGIN:VCALENDAR") != 1:
        problems.add(name, "not exactly one VCALENDAR")
        return None, []
    try:
        cal = icalendar.Calendar.from_ical(text)
    except Exception as e:  # the parser raises plain ValueError and worse
        problems.add(name, f"does not parse: {e}")
        return None, []
    for comp in cal.walk():
        for prop, error in getattr(comp, "errors", []):
            problems.add(name, f"{comp.name} {prop}: {error}")
    if str(cal.get("VERSION", "")) != "2.0":
        problems.add(name, "VERSION is not 2.0")
    if "PRODID" not in cal:
        problems.add(name, "no PRODID")
    if "METHOD" in cal:
        problems.add(name, "METHOD in a stored resource (RFC 4791 4.1)")

    wanted = next((k for p, k in ITEM_KINDS.items() if name.startswith(p)), None)
    items = []
    for comp in cal.subcomponents:
        if comp.name == "VTIMEZONE":
            continue
        if comp.name != wanted:
            problems.add(name, f"{comp.name} in a file named for {wanted}")
        items.append(comp)
    if not items:
        problems.add(name, f"no {wanted}")
        return None, []

    uids, masters, recurrence_ids, links = set(), 0, set(), []
    for comp in items:
        uid = comp.get("UID")
        if uid is None:
            problems.add(name, f"a {comp.name} has no UID")
        elif isinstance(uid, list):
            problems.add(name, f"a {comp.name} has {len(uid)} UIDs")
        else:
            uids.add(str(uid))
        stamp = comp.get("DTSTAMP")
        if stamp is None or isinstance(stamp, list):
            problems.add(name, f"a {comp.name} needs exactly one DTSTAMP")
        if "RECURRENCE-ID" in comp:
            rid = value_of(comp, "RECURRENCE-ID")
            if rid in recurrence_ids:
                problems.add(name, f"RECURRENCE-ID {rid} twice")
            recurrence_ids.add(rid)
        else:
            masters += 1
        check_times(name, comp, problems)
        related = comp.get("RELATED-TO")
        links += [str(r) for r in (related if isinstance(related, list) else [related] if related else [])]
    if len(uids) > 1:
        problems.add(name, f"components disagree on the UID: {sorted(uids)}")
    if masters != 1:
        problems.add(name, f"{masters} components without RECURRENCE-ID, want 1")

    defined = {str(tz["TZID"]) for tz in cal.walk("VTIMEZONE")}
    for tzid in sorted(tzids_named(text) - defined):
        problems.add(name, f"TZID {tzid!r} has no VTIMEZONE in the file")
    return (uids.pop() if len(uids) == 1 else None), links


def embedded_photos(card, text):
    """(declared type, bytes) of each embedded PHOTO; photos by reference are skipped.

    vobject decodes ENCODING=b and BASE64 itself but cuts a data: URI at its
    comma, so those are read from the unfolded text.
    """
    photos = []
    for prop in card.contents.get("photo", []):
        if isinstance(prop.value, bytes):
            types = [t.upper() for t in prop.params.get("TYPE", []) + prop.singletonparams]
            photos.append((next((t for t in types if t in IMAGE_MAGIC), "?"), prop.value))
    for line in unfold(text):
        if not re.match(r"(?:[A-Za-z0-9-]+\.)?PHOTO[;:]", line, re.I):
            continue
        value = line[len(param_head(line)) + 1:]
        if not value.startswith("data:"):
            continue
        head, _, payload = value.partition(",")
        if not head.endswith(";base64"):
            raise ValueError("data: URI without ;base64")
        mime = head[5:].split(";")[0].lower()
        declared = mime.split("/")[-1].upper() if mime.startswith("image/") else "?"
        photos.append((declared, base64.b64decode(payload, validate=True)))
    return photos


def check_vcf(name, data, problems):
    text = data.decode("utf-8", errors="replace")
    version = re.search(r"^VERSION:(\S+)\r$", text, re.M)
    version = version.group(1) if version else None
    check_lines(name, data, problems, blank_after_indent=(version == "2.1"))
    try:
        cards = list(vobject.readComponents(text, allowQP=True))
        card = vobject.readOne(text, allowQP=True)
    except Exception as e:  # ParseError, or a charset the value does not decode in
        problems.add(name, f"does not parse: {e}")
        return None, []
    if len(cards) != 1 or card.name != "VCARD":
        problems.add(name, f"{len(cards)} components, want one VCARD")
        return None, []
    if version not in ("2.1", "3.0", "4.0"):
        problems.add(name, f"VERSION {version!r}")
    elif not name.startswith(f"contact-{version}-"):
        problems.add(name, f"file name does not say version {version}")

    contents = card.contents
    uids = contents.get("uid", [])
    if len(uids) != 1:
        problems.add(name, f"{len(uids)} UIDs, want 1")
    if version in ("3.0", "4.0") and not contents.get("fn"):
        problems.add(name, "no FN")
    if version in ("2.1", "3.0") and not contents.get("n"):
        problems.add(name, "no N")

    try:
        photos = embedded_photos(card, text)
    except ValueError as e:  # binascii.Error is one
        problems.add(name, f"PHOTO: {e}")
        photos = []
    for declared, blob in photos:
        magic = IMAGE_MAGIC.get(declared)
        if magic is None:
            problems.add(name, f"PHOTO of unknown type {declared}")
        elif not blob.startswith(magic):
            problems.add(name, f"PHOTO says {declared} but the data is not")
        elif declared == "JPEG" and not blob.endswith(b"\xff\xd9"):
            problems.add(name, "PHOTO JPEG is cut short")

    links = []
    for prop in contents.get("member", []) + contents.get("related", []):
        if "text" not in [v.lower() for v in prop.params.get("VALUE", [])] and prop.value.startswith("urn:uuid:"):
            links.append(prop.value)
    return (uids[0].value if len(uids) == 1 else None), links


def readme_rows(path):
    with open(path, encoding="utf-8") as f:
        return re.findall(r"^\|\s*`([^`]+)`\s*\|", f.read(), re.M)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    problems = Problems()
    owners = {}  # uid -> file
    links = []   # (file, uid it points at)
    counts = {"ics": 0, "vcf": 0}
    names = sorted(os.listdir(folder))
    items = []
    for name in names:
        if name in OWN_FILES:
            continue
        ext = name.rsplit(".", 1)[-1]
        if ext == "ics" and any(name.startswith(p) for p in ITEM_KINDS):
            check = check_ics
        elif ext == "vcf" and name.startswith("contact-"):
            check = check_vcf
        else:
            problems.add(name, "not an event-*.ics, journal-*.ics or contact-*.vcf")
            continue
        items.append(name)
        counts[ext] += 1
        with open(os.path.join(folder, name), "rb") as f:
            uid, targets = check(name, f.read(), problems)
        if uid is not None:
            if uid in owners:
                problems.add(name, f"UID {uid} is also the UID of {owners[uid]}")
            owners.setdefault(uid, name)
        links += [(name, t) for t in targets]

    for name, target in links:
        if target not in owners:
            problems.add(name, f"points at {target}, which no item here has as UID")

    readme = os.path.join(folder, "README.md")
    rows = readme_rows(readme) if os.path.exists(readme) else []
    for name in sorted(set(items) - set(rows)):
        problems.add("README.md", f"no row for {name}")
    for name in sorted(set(rows) - set(items)):
        problems.add("README.md", f"row for {name}, which is not here")
    for name in sorted({r for r in rows if rows.count(r) > 1}):
        problems.add("README.md", f"{name} has more than one row")

    for name, text in problems.items:
        print(f"{name}: {text}")
    if problems.items:
        failed = len({n for n, _ in problems.items})
        print(f"FAILED: {len(problems.items)} problem(s) in {failed} file(s)")
        return 1
    print(f"ok: {counts['ics']} calendar and {counts['vcf']} vCard files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
