#!/usr/bin/python3
"""The vCard export read by address-book software.

    vcard_readers.py KALVERT CASE      CASE: vobject, abook, khard or radicale

A card file is built byte by byte (fields named as the organiser's users name
them, texts in UTF-8, a long note in three scripts) and exported as vCard 3.0
and 4.0; Python's vobject reads every card with the expected properties,
abook converts the 3.0 file to its own format with the right names, e-mail
addresses and phones, and khard lists the contacts of a folder of single
cards with their names, phones and e-mail addresses; a radicale CardDAV
address book stores one card per contact and gives each back unchanged, and
the whole collection imported into the database's definitions gives the same
CSV export as the database. The expected values are the record's texts as
written below. A program that is missing skips (77).
"""
import configparser
import importlib.util
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.error

KALVERT, CASE = os.path.abspath(sys.argv[1]), sys.argv[2]
TEXT, DATE, NOTE = 2, 8, 10

FIELDS = [(TEXT, "&Name"), (TEXT, "Company"), (TEXT, "Business"), (TEXT, "Home phone"), (TEXT, "Mobile"),
          (TEXT, "Phone"), (TEXT, "E-mail"), (TEXT, "Address"), (DATE, "Birthday"), (NOTE, "Note")]
LONG_NOTE = "Nota: café con leche, 山田さんへ, Ünïcödé " * 3 + "\r\nsecond line"
NO_DATE = b"\xff\xff\xff"
RECORDS = [
    ["Núñez, Señor", "Café Ñ, S.A.", "+34 91 555 0100", "", "+34 600 000 001", "", "senor@example.es",
     "Calle Mayor 1, Madrid", bytes([80, 4, 5]), LONG_NOTE],
    ["Tom Smith", "", "", "+1 555 0101", "", "", "tom@example.com", "", NO_DATE, ""],
    ["山田 花子", "Sakura", "", "", "", "03-1234-5678", "hanako@example.jp", "", NO_DATE, "メモ"],
]


def le16(v):
    return struct.pack("<H", v & 0xFFFF)


def record(rtype, num, body):
    return bytes([rtype, 0]) + le16(len(body) + 6) + le16(num) + body


def card_file(rows):
    """The fields' definitions, the notes and the data records, then a lookup table."""
    records, offsets, fixed = [], [], 0
    for i, (t, name) in enumerate(FIELDS):
        offsets.append(fixed)
        body = bytes([t, i + 1]) + le16(fixed) + bytes([0x20 if t == TEXT else 0, 0, 0]) + name.encode()
        records.append(record(6, i, body))
        fixed += 3 if t == DATE else 2
    notes = [r[-1] for r in rows if r[-1]]
    for n, text in enumerate(notes):
        records.append(record(9, n, text.encode()))
    note_number = 0
    for num, values in enumerate(rows):
        slots, texts = b"", b""
        for (t, _), v in zip(FIELDS, values):
            if t == TEXT:
                slots += le16(fixed + 1 + len(texts) if v else fixed)
                texts += (v.encode() + b"\0") if v else b""
            elif t == DATE:
                slots += v
            else:
                slots += le16(note_number if v else 0xFFFF)
                note_number += 1 if v else 0
        records.append(record(11, num, slots + b"\0" + texts))
    first, entries, at = 29, b"", 29
    for r in records:
        entries += le16(len(r)) + b"\xff\xff\x00" + struct.pack("<I", at)[:3]
        at += len(r)
    header = (b"hcD\0" + bytes([0, 0]) + le16(25) + le16(0) + le16(0x0102) + b"D\0" + le16(0) +
              le16(len(records)) + struct.pack("<I", at) + bytes([99, 11, 30]) + le16(1439) + bytes([7, 9]))
    assert len(header) == first
    return header + b"".join(records) + record(31, 0, entries) + bytes(64)


def kalvert(*args):
    run = subprocess.run([KALVERT, "--encoding=UTF-8", "-s1", *args], capture_output=True, check=False)
    if run.returncode != 0:
        sys.exit("kalvert failed: " + run.stderr.decode())
    return run


def export(folder, *args):
    path = os.path.join(folder, "cards.dat")
    with open(path, "wb") as f:
        f.write(card_file(RECORDS))
    return kalvert("-x" + path, "--format=vcf", *args).stdout


FAILED = []


def expect(what, got, want):
    if got != want:
        FAILED.append(f"{what}: got {got!r}, want {want!r}")


def check_vobject(folder):
    import vobject  # pylint: disable=import-outside-toplevel
    for version in ("3.0", "4.0"):
        text = export(folder, "--vcard=" + version)
        for line in text.split(b"\r\n"):
            if len(line) > 75:
                FAILED.append(f"{version}: a line of {len(line)} octets")
        cards = list(vobject.readComponents(text.decode()))
        expect(version + " cards", len(cards), 3)
        for card, values in zip(cards, RECORDS):
            expect(version + " FN", card.fn.value, values[0])
            expect(version + " version", card.version.value, version)
            tels = sorted(t.value for t in card.contents.get("tel", []))
            expect(version + " TEL", tels, sorted(v for v in values[2:6] if v))
            expect(version + " EMAIL", [e.value for e in card.contents.get("email", [])], [values[6]])
            note = card.contents.get("note")
            expect(version + " NOTE", note[0].value if note else "", values[9].replace("\r\n", "\n"))
        if version == "3.0":
            expect("N", (cards[0].n.value.family, cards[0].n.value.given), ("Núñez", "Señor"))
            expect("N", (cards[2].n.value.family, cards[2].n.value.given), ("山田", "花子"))
            expect("ADR", cards[0].adr.value.street, "Calle Mayor 1, Madrid")
            expect("ORG", cards[0].org.value, ["Café Ñ, S.A."])
            expect("TYPE", [t.params.get("TYPE") for t in cards[0].tel_list], [["WORK", "VOICE"], ["CELL"]])
        expect(version + " BDAY", cards[0].bday.value, "1980-05-06" if version == "3.0" else "19800506")


def check_abook(folder):
    if not shutil.which("abook"):
        sys.exit(77)
    path = os.path.join(folder, "cards.vcf")
    with open(path, "wb") as f:
        f.write(export(folder))
    run = subprocess.run(["abook", "--convert", "--informat", "vcard", "--infile", path, "--outformat", "abook"],
                         capture_output=True, check=True, env={**os.environ, "HOME": folder})
    book = configparser.ConfigParser(interpolation=None)
    book.read_string(run.stdout.decode())
    got = [{k: book[s][k] for k in ("name", "email", "phone", "workphone", "mobile") if k in book[s]}
           for s in ("0", "1", "2")]
    # abook keeps the backslash before the comma that a TEXT value escapes.
    expect("abook", got, [
        {"name": "Núñez\\, Señor", "email": "senor@example.es", "workphone": "+34 91 555 0100",
         "mobile": "+34 600 000 001"},
        {"name": "Tom Smith", "email": "tom@example.com", "phone": "+1 555 0101"},
        {"name": "山田 花子", "email": "hanako@example.jp", "phone": "03-1234-5678"},
    ])


def check_khard(folder):
    if not shutil.which("khard"):
        sys.exit(77)
    cards = os.path.join(folder, "book")
    os.mkdir(cards)
    text = export(folder).decode()
    for n, card in enumerate(text.split("BEGIN:VCARD")[1:]):
        with open(os.path.join(cards, f"{n}.vcf"), "w", encoding="utf-8", newline="") as f:
            f.write("BEGIN:VCARD" + card)
    conf = os.path.join(folder, "khard.conf")
    with open(conf, "w", encoding="utf-8") as f:
        f.write(f"[addressbooks]\n[[book]]\npath = {cards}\n[general]\neditor = /bin/true\n"
                "merge_editor = /bin/true\n[contact table]\ndisplay = formatted_name\n")

    def rows(*args):
        run = subprocess.run(["khard", "-c", conf, *args, "-p"], capture_output=True, check=True,
                             env={**os.environ, "HOME": folder})
        return sorted(tuple(line.split("\t")) for line in run.stdout.decode().splitlines() if "\t" in line)

    expect("khard list", sorted(r[1] for r in rows("list")), sorted(r[0] for r in RECORDS))
    expect("khard phone", rows("phone"), sorted([
        ("+34 91 555 0100", "Núñez, Señor", "WORK, VOICE"), ("+34 600 000 001", "Núñez, Señor", "CELL"),
        ("+1 555 0101", "Tom Smith", "HOME, VOICE"), ("03-1234-5678", "山田 花子", "voice")]))
    expect("khard email", [r[:2] for r in rows("email")], sorted([
        ("senor@example.es", "Núñez, Señor"), ("tom@example.com", "Tom Smith"),
        ("hanako@example.jp", "山田 花子")]))


def check_radicale(folder):
    if not importlib.util.find_spec("radicale"):
        sys.exit(77)
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from radicale_server import Radicale  # pylint: disable=import-outside-toplevel
    os.chdir(folder)
    cards = ["BEGIN:VCARD" + c for c in export(folder).decode().split("BEGIN:VCARD")[1:]]
    uids = [re.search(r"\r\nUID:(.*?)\r\n", c).group(1) for c in cards]
    server = Radicale(sys.exit)
    book = "/kalvert/cards/"
    try:
        server.request("MKCOL", book, b'<?xml version="1.0" encoding="utf-8"?><mkcol xmlns="DAV:" '
                       b'xmlns:C="urn:ietf:params:xml:ns:carddav"><set><prop><resourcetype><collection/>'
                       b'<C:addressbook/></resourcetype></prop></set></mkcol>', "application/xml; charset=utf-8")
        for uid, card in zip(uids, cards):
            server.request("PUT", book + uid + ".vcf", card.encode(), "text/vcard; charset=utf-8")
        # The server sorts the properties by name; each line comes back as it went.
        lines = lambda card: sorted(card.replace("\r\n ", "").split("\r\n"))
        for uid, card in zip(uids, cards):
            expect("radicale card " + uid, lines(server.request("GET", book + uid + ".vcf").decode()), lines(card))
        whole = server.request("GET", book)
    except urllib.error.HTTPError as e:
        sys.exit("%s %s: %s\n%s" % (e.code, e.reason, e.url, server.stop()))
    finally:
        server.stop()
    with open("collection.vcf", "wb") as f:
        f.write(whole)
    with open("defs.dat", "wb") as f:
        f.write(card_file([]))
    said = kalvert("-xdefs.dat", "-icollection.vcf", "-onew.dat", "--format=vcf").stderr.decode()
    expect("radicale import", said.rstrip("\n").rsplit("\n", 1)[-1],
           "collection.vcf: 3 card(s) added, 0 already in the database, 0 left out.")
    # The collection gives its cards in its own order.
    rows = lambda db: sorted(kalvert("-x" + db, "--format=csv").stdout.decode().split("\r\n"))
    expect("radicale CSV", rows("new.dat"), rows("cards.dat"))


def main():
    folder = tempfile.mkdtemp()
    try:
        {"vobject": check_vobject, "abook": check_abook, "khard": check_khard,
         "radicale": check_radicale}[CASE](folder)
    finally:
        shutil.rmtree(folder)
    for failure in FAILED:
        print(failure)
    sys.exit(1 if FAILED else 0)


main()
