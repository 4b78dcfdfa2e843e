#!/usr/bin/python3
"""Says how two versions of one calendar item or vCard differ, as a reader
sees them (parsed, unfolded, unescaped), property by property.

    compare_items.py BEFORE AFTER [NAME ...]

Exit 0 when they differ in nothing but the properties named (in any
component); otherwise each difference on a line and exit 1.
"""
import collections
import sys


def calendar_lines(text):
    import icalendar
    lines = []

    def walk(component, path):
        here = path + '/' + component.name
        if component.name == 'VEVENT' and 'RECURRENCE-ID' in component:
            here += '[' + component['RECURRENCE-ID'].to_ical().decode() + ']'
        for name, value in component.property_items(recursive=False):
            if name in ('BEGIN', 'END'):
                continue
            values = value if isinstance(value, list) else [value]
            for v in values:
                params = ';'.join('%s=%s' % (k, v.params[k]) for k in sorted(getattr(v, 'params', {})))
                text = v.to_ical() if hasattr(v, 'to_ical') else v
                if isinstance(text, bytes):
                    text = text.decode('utf-8', 'replace')
                lines.append((here, name, params, str(text)))
        for sub in component.subcomponents:
            walk(sub, here)

    walk(icalendar.Calendar.from_ical(text), '')
    return lines


def card_lines(text):
    import vobject
    try:
        text = text.decode('utf-8')
    except UnicodeDecodeError:
        text = text.decode('latin-1')
    card = vobject.readOne(text, allowQP=True)
    lines = []
    for child in card.getChildren():
        name = child.name.upper()
        params = ';'.join('%s=%s' % (k, ','.join(sorted(v))) for k, v in sorted(child.params.items()))
        lines.append(((child.group or '').upper(), name, params, str(child.value)))
    return lines


def main():
    before_path, after_path, allowed = sys.argv[1], sys.argv[2], set(n.upper() for n in sys.argv[3:])
    before, after = open(before_path, 'rb').read(), open(after_path, 'rb').read()
    reader = card_lines if before.lstrip().upper().startswith(b'BEGIN:VCARD') else calendar_lines
    a, b = collections.Counter(reader(before)), collections.Counter(reader(after))
    gone = [line for line in (a - b).elements() if line[1] not in allowed]
    came = [line for line in (b - a).elements() if line[1] not in allowed]
    for line in gone:
        print('only before: %s %s;%s:%s' % line)
    for line in came:
        print('only after:  %s %s;%s:%s' % line)
    return 1 if gone or came else 0


sys.exit(main())
