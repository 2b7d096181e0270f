#!/usr/bin/env python3
"""Adds template definitions to a base file in the program's text form.

usage: add_templates.py BASE.vkx TEMPLATES.txt OUT.vkx

TEMPLATES.txt holds definitions as the "##Templates" section of a base file keeps them (a "#" line
and its key lines, fields separated by tabs); they go after the section's heading, or in a new section
before "##End" when the base has none. Base files end their lines with CR."""
import sys

base_name, templates_name, out_name = sys.argv[1:4]
with open(base_name, 'rb') as f:
    base = f.read()
with open(templates_name, 'rb') as f:
    definitions = f.read().replace(b'\r\n', b'\n').replace(b'\n', b'\r')
heading = b'\r##Templates\r'
at = base.find(heading)
if at >= 0:
    at += len(heading)
    base = base[:at] + definitions + base[at:]
else:
    end = base.rfind(b'\r##End')
    if end < 0:
        sys.exit(f'{base_name}: no "##End" line; not a base file in text form')
    base = base[:end + 1] + b'##Templates\r' + definitions + base[end + 1:]
with open(out_name, 'wb') as f:
    f.write(base)
