"""Prints each row's attributes of a data packet as Python's XML parser reads them:
one line per attribute, "name=" and the code points of its value in hex."""
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
for row in root.iter("ROW"):
    for name, value in row.attrib.items():
        print(name + "=" + " ".join("%X" % ord(ch) for ch in value))
