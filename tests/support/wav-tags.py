#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sources with tags and a cover for the WAV tag tests, and a tag reader's
view of a WAV file.

  wav-tags.py make DIR FIXTURES COVER   tagged.{flac,mp3,wma,ogg,ape} in DIR
  wav-tags.py bad DIR FIXTURES          bad.mp3: a 5000-byte title, an artist of broken
                                        UTF-8 and a 20 MiB picture
  wav-tags.py read WAV                  what the ID3 reader finds, one key=value a line
"""
import base64
import hashlib
import shutil
import struct
import subprocess
import sys

TITLE = "Tëst Title ☃"
ARTIST = "An Artist"
ALBUM = "Some Album"
TRACK = "7"
YEAR = "2004"
GENRE = "Speech"


def run(*command):
    subprocess.run(command, check=True)


def make(folder, fixtures, cover):
    import mutagen.apev2
    import mutagen.asf
    import mutagen.flac
    import mutagen.oggvorbis
    wav = fixtures + "/tone-44100-16-2.wav"
    image = open(cover, "rb").read()

    run("flac", "-s", "-f", "-o", folder + "/tagged.flac", wav)
    flac = mutagen.flac.FLAC(folder + "/tagged.flac")
    flac.update({"title": TITLE, "artist": ARTIST, "album": ALBUM, "tracknumber": TRACK, "date": YEAR,
                 "genre": GENRE})
    picture = mutagen.flac.Picture()
    picture.type, picture.mime, picture.desc, picture.data = 3, "image/jpeg", "front", image
    flac.add_picture(picture)
    flac.save()

    run("oggenc", "-Q", "-o", folder + "/tagged.ogg", wav)
    ogg = mutagen.oggvorbis.OggVorbis(folder + "/tagged.ogg")
    ogg.update({"title": TITLE, "artist": ARTIST, "album": ALBUM, "tracknumber": TRACK, "date": YEAR,
                "genre": GENRE, "metadata_block_picture": base64.b64encode(picture.write()).decode()})
    ogg.save()

    run("ffmpeg", "-v", "error", "-y", "-i", wav, "-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame",
        "-c:v", "copy", "-id3v2_version", "3", "-metadata:s:v", "comment=Cover (front)", "-metadata",
        "title=" + TITLE, "-metadata", "artist=" + ARTIST, "-metadata", "album=" + ALBUM, "-metadata",
        "track=" + TRACK, "-metadata", "date=" + YEAR, "-metadata", "genre=" + GENRE, folder + "/tagged.mp3")

    run("ffmpeg", "-v", "error", "-y", "-i", wav, "-c:a", "wmav2", folder + "/tagged.wma")
    wma = mutagen.asf.ASF(folder + "/tagged.wma")
    wma["Title"] = TITLE
    wma["Author"] = ARTIST
    wma["WM/AlbumTitle"] = ALBUM
    wma["WM/Track"] = TRACK
    wma["WM/Year"] = YEAR
    wma["WM/Genre"] = GENRE
    value = (struct.pack("<bI", 3, len(image)) + "image/jpeg".encode("utf-16-le") + b"\0\0" +
             "front".encode("utf-16-le") + b"\0\0" + image)
    wma["WM/Picture"] = [mutagen.asf.ASFByteArrayAttribute(value)]
    wma.save()

    shutil.copy(fixtures + "/tone-44100-16-2.ape", folder + "/tagged.ape")
    ape = mutagen.apev2.APEv2()
    ape.update({"Title": TITLE, "Artist": ARTIST, "Album": ALBUM, "Year": YEAR})
    ape["Cover Art (Front)"] = mutagen.apev2.APEValue(b"cover.jpg\0" + image, mutagen.apev2.BINARY)
    ape.save(folder + "/tagged.ape")


def bad(folder, fixtures):
    def frame(name, body):
        return name.encode() + struct.pack(">IH", len(body), 0) + body
    frames = (frame("TIT2", b"\0" + b"x" * 5000) + frame("TPE1", b"\3A\xff\xfeB") +
              frame("APIC", b"\0image/jpeg\0\3\0" + bytes(range(256)) * (20 * 4096)))
    size = bytes((len(frames) >> shift) & 0x7F for shift in (21, 14, 7, 0))
    plain = folder + "/plain.mp3"
    run("ffmpeg", "-v", "error", "-y", "-i", fixtures + "/tone-44100-16-2.wav", "-c:a", "libmp3lame",
        "-write_xing", "0", "-id3v2_version", "0", plain)
    with open(folder + "/bad.mp3", "wb") as out:
        out.write(b"ID3\3\0\0" + size + frames + open(plain, "rb").read())


def read(wav):
    import mutagen.wave
    tags = mutagen.wave.WAVE(wav).tags
    if tags is None:
        print("id3=none")
        return
    for frame in ("TIT2", "TPE1", "TALB", "TRCK", "TCON"):
        if frame in tags:
            print("%s=%s" % (frame, tags[frame].text[0]))
    if "TDRC" in tags:
        print("TDRC=%s" % tags["TDRC"].text[0])
    for picture in tags.getall("APIC"):
        print("APIC=%s %d %s" % (picture.mime, picture.type, hashlib.sha256(picture.data).hexdigest()))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(*sys.argv[2:5])
    elif sys.argv[1] == "bad":
        bad(*sys.argv[2:4])
    else:
        read(sys.argv[2])
