#!/usr/bin/env python3
"""Checks values in the program's settings file, written independently of the
program's own reader so that a fault shared by reader and writer shows.

Usage: check_settings.py FILE EXPECTATION...
  Section/Name=value    the value reads exactly as given
  Section/Name~=value   the stored value is scrambled and unscrambles to it
  !Section/Name         the value is absent
Values are compared as Windows-1251 text. Prints every mismatch and exits 1.
"""
import re
import sys

START_KEY = 30571
ESCAPE = 0x01


def unescape(raw):
    """A stored value to its bytes: \\xHH is a byte, \\\\ a backslash."""
    out = bytearray()
    i = 0
    while i < len(raw):
        if raw[i] == ord('\\') and raw[i + 1:i + 2] == b'\\':
            out.append(ord('\\'))
            i += 2
        elif raw[i] == ord('\\') and re.fullmatch(rb'x[0-9A-Fa-f]{2}', raw[i + 1:i + 4]):
            out.append(int(raw[i + 2:i + 4], 16))
            i += 4
        else:
            out.append(raw[i])
            i += 1
    return bytes(out)


def unscramble(scrambled):
    out = bytearray()
    key = START_KEY
    i = 0
    while i < len(scrambled):
        x = scrambled[i]
        if x == ESCAPE:
            x = 0 if scrambled[i + 1:i + 2] == bytes([ESCAPE]) else 1
            i += 1
        out.append(x ^ (key >> 8))
        key = ((key + x) * 52845 + 22719) & 0xFFFF
        i += 1
    return bytes(out)


def read_ini(path):
    values = {}
    section = ''
    with open(path, 'rb') as stream:
        for line in stream.read().splitlines():
            line = line.strip()
            if not line or line[:1] in (b';', b'#'):
                continue
            if line.startswith(b'[') and line.endswith(b']'):
                section = line[1:-1].strip().decode('ascii').lower()
                continue
            name, _, value = line.partition(b'=')
            values[(section, unescape(name.strip()).decode('cp1251').lower())] = unescape(value.strip())
    return values


def main(path, expectations):
    values = read_ini(path)
    failures = []
    for expectation in expectations:
        absent = expectation.startswith('!')
        match = re.fullmatch(r'!?([^/]+)/([^=~]+)(?:(~?=)(.*))?', expectation, re.S)
        section, name, operator, wanted = match.groups()
        key = (section.lower(), name.lower())
        if absent:
            if key in values:
                failures.append(f'{section}/{name} should be absent, holds {values[key]!r}')
            continue
        if key not in values:
            failures.append(f'{section}/{name} is missing')
            continue
        stored = unscramble(values[key]) if operator == '~=' else values[key]
        if stored != wanted.encode('cp1251'):
            failures.append(f'{section}/{name}: wanted {wanted!r}, found {stored.decode("cp1251", "replace")!r}')
    for failure in failures:
        print(f'settings: {failure}', file=sys.stderr)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2:]))
