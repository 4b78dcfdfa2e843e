#!/usr/bin/python3
"""A first sync at full scale, run by hand (it takes many minutes).

Imports generated events, diary pages, notes and contacts into one data
folder, sends them up to Radicale servers of its own on 127.0.0.1 (events,
journals and contacts each on a server of their own, so the three run side by
side), syncs an empty second folder down, and compares the two folders'
`veltrin-data dump` for every record. Prints the time of each step.

  bench/sync_scale.py VELTRIN_DATA [--events N] [--pages N] [--notes N]
                      [--contacts N] [--stock-radicale] [--keep DIR]

By default the servers use bench/radicale_uid_index.py, Radicale's file storage
with an index of UIDs: stock Radicale reads every stored item on each new PUT
(hours for 10000 events). --stock-radicale runs the stock storage.
"""

import argparse
import base64
import concurrent.futures
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

USER, PASSWORD = "anna", "pa55-w0rd"
HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Radicale:
    def __init__(self, folder, stock):
        self.folder = folder
        os.makedirs(os.path.join(folder, "collections"))
        with open(os.path.join(folder, "users"), "w") as f:
            f.write(f"{USER}:{PASSWORD}\n")
        self.port = free_port()
        storage = "" if stock else "type = radicale_uid_index\n"
        with open(os.path.join(folder, "config"), "w") as f:
            f.write(f"[server]\nhosts = 127.0.0.1:{self.port}\n"
                    f"[auth]\ntype = htpasswd\nhtpasswd_filename = {folder}/users\n"
                    "htpasswd_encryption = plain\ndelay = 0\n[rights]\ntype = owner_only\n"
                    f"[storage]\n{storage}filesystem_folder = {folder}/collections\n"
                    "[web]\ntype = none\n[logging]\nlevel = warning\n")
        env = dict(os.environ, PYTHONPATH=HERE)
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-m", "radicale", "-C", f"{folder}/config"], env=env,
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, "log"), "w"))
        end = time.time() + 60
        while time.time() < end:
            try:
                socket.create_connection(("127.0.0.1", self.port), 1).close()
                return
            except OSError:
                if self.process.poll() is not None:
                    break
                time.sleep(0.05)
        sys.exit(f"Radicale did not start: see {folder}/log")

    def url(self, path=""):
        return f"http://127.0.0.1:{self.port}/{USER}/{path}"

    def make(self, path, method, body):
        request = urllib.request.Request(self.url(path), data=body.encode(), method=method)
        request.add_header("Content-Type", "application/xml; charset=utf-8")
        request.add_header("Authorization",
                           "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode())
        urllib.request.urlopen(request).read()

    def stop(self):
        self.process.terminate()
        self.process.wait()


def calendar(radicale, name, components):
    radicale.make(f"{name}/", "MKCALENDAR",
                  '<?xml version="1.0"?><C:mkcalendar xmlns:D="DAV:" '
                  'xmlns:C="urn:ietf:params:xml:ns:caldav"><D:set><D:prop>'
                  '<C:supported-calendar-component-set>' +
                  "".join(f'<C:comp name="{c}"/>' for c in components) +
                  "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>")
    return radicale.url(f"{name}/")


def address_book(radicale, name):
    radicale.make(f"{name}/", "MKCOL",
                  '<?xml version="1.0"?><D:mkcol xmlns:D="DAV:" '
                  'xmlns:CR="urn:ietf:params:xml:ns:carddav"><D:set><D:prop><D:resourcetype>'
                  "<D:collection/><CR:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>")
    return radicale.url(f"{name}/")


def text(value):
    return value.replace("\\", "\\\\").replace(",", "\\,").replace(";", "\\;").replace("\n", "\\n")


def generate(folder, args):
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//sync scale//EN"]
    for i in range(args.events):
        day = 1 + i % 28
        lines += ["BEGIN:VEVENT", f"UID:scale-event-{i}@example.org", "DTSTAMP:20261201T120000Z",
                  f"DTSTART:2027{1 + i % 12:02d}{day:02d}T{8 + i % 10:02d}{i % 60:02d}00Z",
                  f"SUMMARY:Event {i} – Ärzte & Café", f"DESCRIPTION:Comment for event {i}\\, all day",
                  f"PRIORITY:{1 + i % 9}", f"CATEGORIES:Group {i % 20}/Sub {i % 3}", "END:VEVENT"]
    for i in range(args.pages):
        y, d = divmod(i, 365)
        date = time.strftime("%Y%m%d", time.gmtime(946684800 + (y * 365 + d) * 86400))
        lines += ["BEGIN:VJOURNAL", f"UID:scale-page-{i}@example.org", "DTSTAMP:20261201T120000Z",
                  f"DTSTART;VALUE=DATE:{date}", f"SUMMARY:Page {i}",
                  "DESCRIPTION:" + text(f"Day {i}: " + "a line of the diary, " * 60),
                  "X-ALT-DESC;FMTTYPE=text/html:" + text(f"<p>Day {i}: " + "a <b>line</b> of the diary, " * 60 + "</p>"),
                  "END:VJOURNAL"]
    for i in range(args.notes):
        lines += ["BEGIN:VJOURNAL", f"UID:scale-note-{i}@example.org", "DTSTAMP:20261201T120000Z",
                  time.strftime("CREATED:%Y%m%dT%H%M%SZ", time.gmtime(1767225600 + 3600 * i)),
                  f"SUMMARY:Note {i}", f"DESCRIPTION:Note text {i} " + "with some words " * 100]
        if i % 10:
            lines.append(f"RELATED-TO;RELTYPE=PARENT:scale-note-{i - i % 10}@example.org")
        lines.append("END:VJOURNAL")
    lines.append("END:VCALENDAR")
    ics = os.path.join(folder, "scale.ics")
    with open(ics, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    cards = []
    for i in range(args.contacts):
        cards += ["BEGIN:VCARD", "VERSION:4.0", f"FN:First{i} Last{i}", f"N:Last{i};First{i};;;",
                  f"EMAIL:person{i}@example.org", f"TEL;TYPE=cell:+49 170 {i:07d}",
                  f"ADR;TYPE=home:;;Street {i};Town {i % 100};;{10000 + i};Country",
                  f"ORG:Company {i % 50};Dept {i % 7}", f"NOTE:Note for contact {i}",
                  f"CATEGORIES:Contacts {i % 10}", "END:VCARD"]
    vcf = os.path.join(folder, "scale.vcf")
    with open(vcf, "w", newline="") as f:
        f.write("\r\n".join(cards) + "\r\n")
    return ics, vcf


def run(what, command):
    start = time.monotonic()
    done = subprocess.run(command, capture_output=True, text=True)
    seconds = time.monotonic() - start
    if done.returncode != 0:
        sys.exit(f"{what} failed ({done.returncode}):\n{done.stdout}\n{done.stderr}")
    print(f"{what}: {seconds:.1f} s", flush=True)
    return done.stdout


def dump(tool, data, name):
    path = os.path.join(data, name)
    return json.loads(run(f"dump {name}", [tool, "dump", path]) if os.path.exists(path) else "null")


def paths(groups):
    """Each group's id as its path of names from the top."""
    out, stack = {}, []
    for g in groups:
        level = len(stack) - 1 + g["levelStep"] if stack else 0
        stack = stack[:level] + [g["name"]]
        out[g["groupId"]] = "/".join(stack)
    return out


def mapped(name, d):
    """What sync carries of a file: ids, row looks and order within a group aside."""
    if d is None:
        return None
    unmapped = {"iconIndex", "bold", "isCurrent", "collapsed", "eventId"}

    def clean(x):
        if isinstance(x, dict):
            return {k: clean(v) for k, v in x.items() if k not in unmapped}
        return [clean(v) for v in x] if isinstance(x, list) else x

    if name in ("Events.dat", "Contacts.dat"):
        key = "events" if name == "Events.dat" else "contacts"
        where = paths(d["groups"])
        records = []
        for r in d[key]:
            holder = r["details"] if key == "events" else r
            holder["groupId"] = where.get(holder["groupId"], "?")
            records.append(clean(r))
        return sorted(json.dumps(r, sort_keys=True) for r in records)
    return clean(d[{"Diary.dat": "pages", "Notes.dat": "notes"}[name]])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool", help="the veltrin-data program")
    parser.add_argument("--events", type=int, default=10000)
    parser.add_argument("--pages", type=int, default=3000)
    parser.add_argument("--notes", type=int, default=500)
    parser.add_argument("--contacts", type=int, default=5000)
    parser.add_argument("--stock-radicale", action="store_true")
    parser.add_argument("--keep", help="leave the folders here")
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)

    root = args.keep or tempfile.mkdtemp(prefix="veltrin-sync-scale-")
    os.makedirs(root, exist_ok=True)
    servers = [Radicale(os.path.join(root, name), args.stock_radicale)
               for name in ("radicale-events", "radicale-journals", "radicale-contacts")]
    try:
        config = (f"url = {servers[0].url()}\nuser = {USER}\npassword-command = echo {PASSWORD}\n"
                  f"events = {calendar(servers[0], 'calendar', ['VEVENT'])}\n"
                  f"journals = {calendar(servers[1], 'journal', ['VJOURNAL'])}\n"
                  f"contacts = {address_book(servers[2], 'contacts')}\ninterval = 0\n")
        ics, vcf = generate(root, args)
        up, down = os.path.join(root, "up"), os.path.join(root, "down")
        for data in (up, down):
            os.makedirs(os.path.join(data, "sync"))
            with open(os.path.join(data, "sync", "config"), "w") as f:
                f.write(config)
        print(f"{args.events} events, {args.pages} pages, {args.notes} notes, {args.contacts} contacts; "
              f"{'stock' if args.stock_radicale else 'UID-indexed'} Radicale storage", flush=True)
        run("import calendar", [tool, "import", "--data", up, ics])
        run("import cards", [tool, "import", "--data", up, vcf])
        print(run("sync up", [tool, "sync", "--data", up]).strip())
        print(run("sync down into an empty folder", [tool, "sync", "--data", down]).strip())
        print(run("sync with nothing to do (up)", [tool, "sync", "--data", up]).strip())
        print(run("sync with nothing to do (down)", [tool, "sync", "--data", down]).strip())
        differ = []
        for name in ("Events.dat", "Diary.dat", "Notes.dat", "Contacts.dat"):
            a, b = mapped(name, dump(tool, up, name)), mapped(name, dump(tool, down, name))
            print(f"{name}: {'equal' if a == b else 'DIFFERENT'}", flush=True)
            if a != b:
                differ.append(name)
                for side, d in (("up", a), ("down", b)):
                    with open(os.path.join(root, f"{name}.{side}.json"), "w") as f:
                        json.dump(d, f, indent=1, sort_keys=True)
        if differ:
            print(f"dumps kept in {root}")
        return 1 if differ else 0
    finally:
        for server in servers:
            server.stop()
        if not args.keep and not os.path.exists(os.path.join(root, "Events.dat.up.json")):
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
