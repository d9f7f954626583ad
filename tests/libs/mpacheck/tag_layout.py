#!/usr/bin/python3
"""Tags a copy of an MP3 with mutagen and prints where mutagen says the tags are.

    tag_layout.py <in.mp3> <out.mp3> <id3v2 version: 3 or 4> [<picture bytes>]

Writes an APEv2 tag, then an ID3v2 tag (with a picture of that many bytes when
given) and an ID3v1 tag, then prints one line per tag: label offset size.
"""
import shutil
import sys

from mutagen.apev2 import APEv2, _APEv2Data
from mutagen.id3 import APIC, ID3, TALB, TIT2, TPE1
from mutagen.id3._id3v1 import find_id3v1

source, target, version = sys.argv[1], sys.argv[2], int(sys.argv[3])
picture = int(sys.argv[4]) if len(sys.argv) > 4 else 0
shutil.copyfile(source, target)

ape = APEv2()
ape["Title"] = "A title"
ape["Artist"] = "Somebody"
ape.save(target)

id3 = ID3()
id3.add(TIT2(encoding=3, text="A title"))
id3.add(TPE1(encoding=3, text="Somebody"))
id3.add(TALB(encoding=3, text="An album"))
if picture:
    id3.add(APIC(encoding=3, mime="image/png", type=3, desc="cover", data=bytes(range(256)) * (picture // 256)))
id3.save(target, v1=2, v2_version=version)

size = len(open(target, "rb").read())
print("ID3v2.%d 0 %d" % (version, ID3(target).size))
with open(target, "rb") as f:
    data = _APEv2Data(f)
    print("APEv2 %d %d" % (data.start, data.end - data.start))
    _, v1_offset = find_id3v1(f)
    print("ID3v1 %d 128" % (size + v1_offset))
