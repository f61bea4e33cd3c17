# The standard-CSV export opened and saved by real spreadsheet programs, as a
# user's save would, imported into a copy and exported again:
#
#   spreadsheets.py KALVERT KALVERT_GEN libreoffice|gnumeric
#
# A generated book with every kind, repeat rule and flag, notes with line
# breaks, tabs, quotes and non-ASCII goes CSV -> .xlsx -> CSV and CSV -> .ods
# -> CSV. The .xlsx paths give back the first export exactly; the .ods paths
# differ only as the README names (LibreOffice drops the tabs of a text,
# Gnumeric writes each line break of a note twice). With LibreOffice the
# round trip runs in an English (US) and a German setting (semicolons, the
# German language), and one saved file is edited: a description and a date
# changed, a row added with only its date and description.
# Exit 77 (skipped) when the program is not installed.
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

KALVERT, GEN, PROGRAM = sys.argv[1:4]
ENC = "--encoding=EUC-JP"


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


def export(book, *more):
    return run(KALVERT, "-x" + book, "--format=csv", ENC, "-s1", *more).stdout.decode()


def rows(text):
    return list(csv.reader(io.StringIO(text, newline="")))


def import_and_export(name, saved, *more):
    """The saved CSV imported into the definitions, exported again."""
    r = subprocess.run([KALVERT, "-xdefs.dat", "-m", "-i" + saved, "-o" + name + ".dat", "--format=csv", ENC,
                        "-s3", *more], capture_output=True)
    if r.returncode != 0:
        sys.exit(name + ": the import failed: " + r.stderr.decode(errors="replace"))
    return export(name + ".dat")


def expect(name, got, want):
    if got != want:
        for a, b in zip(rows(want), rows(got)):
            if a != b:
                sys.exit("%s: the export differs first at\n  %r\n  %r" % (name, a, b))
        sys.exit("%s: the export differs in its number of rows" % name)
    print(name + ": the same export")


def with_notes(text, change):
    """The export with `change` applied to every note (the last column)."""
    out = io.StringIO(newline="")
    w = csv.writer(out, lineterminator="\r\n")
    for i, row in enumerate(rows(text)):
        w.writerow(row if i == 0 else row[:-1] + [change(row[-1])])
    return out.getvalue()


def libreoffice(first):
    def convert(src, to, outdir, options):
        run("soffice", "--headless", "--infilter=CSV:" + options, "--convert-to", to, "--outdir", outdir, src)

    for setting, sep, options in (("en-US", ",", "44,34,76,1,,1033"), ("de-DE", ";", "59,34,76,1,,1031")):
        source = "book-%s.csv" % setting
        with open(source, "w", newline="") as f:
            f.write(export("book.dat", "--delimiter=" + sep))
        for fmt in ("xlsx", "ods"):
            d = "%s-%s" % (setting, fmt)
            convert(source, fmt, d, options)
            run("soffice", "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):" + options, "--outdir",
                d, os.path.join(d, source[:-3] + fmt))
            saved = os.path.join(d, source)
            want = first if fmt == "xlsx" else with_notes(first, lambda n: n.replace("\t", ""))
            expect("LibreOffice " + d, import_and_export(d, saved), want)
    # A user's edits in the saved file: times there read 05:45:00 PM.
    with open("en-US-xlsx/book-en-US.csv", newline="", encoding="utf-8") as f:
        saved = rows(f.read())
    want = rows(first)
    saved[1][1], saved[1][2] = "Edited", "2003-05-06"
    want[1][1], want[1][2] = "Edited", "2003-05-06"
    saved.append(["", "Added", "2003-05-07"] + [""] * (len(saved[0]) - 3))
    want.append(["appointment", "Added", "2003-05-07", "", "", "", "", "", "no", "5", "yes", "yes"] +
                ["", "", "", "", "", "none"] + [""] * 9)
    with open("edited.csv", "w", newline="", encoding="utf-8") as f:
        csv.writer(f, lineterminator="\r\n").writerows(saved)
    got = rows(import_and_export("edited", "edited.csv"))
    if sorted(got[1:]) != sorted(want[1:]) or got[0] != want[0]:
        sys.exit("LibreOffice edited: the export is not the first with the edits")
    print("LibreOffice edited: the first export with the edits")


def gnumeric(first):
    for fmt in ("xlsx", "ods"):
        run("ssconvert", "book.csv", "book." + fmt)
        run("ssconvert", "book." + fmt, "saved-%s.csv" % fmt)
        want = first if fmt == "xlsx" else with_notes(first, lambda n: n.replace("\r\n", "\r\n\r\n"))
        expect("Gnumeric " + fmt, import_and_export("gnumeric-" + fmt, "saved-%s.csv" % fmt), want)


command = {"libreoffice": "soffice", "gnumeric": "ssconvert"}[PROGRAM]
if not shutil.which(command):
    print("%s (%s) is not installed: its round trips are skipped" % (PROGRAM, command))
    sys.exit(77)
with tempfile.TemporaryDirectory() as work:
    os.chdir(work)
    os.environ["HOME"] = work  # LibreOffice keeps its profile there
    run(GEN, "varied", "200", "7", "book.dat")
    run(GEN, "defs", "defs.dat")
    first = export("book.dat")
    with open("book.csv", "w", newline="") as f:
        f.write(first)
    {"libreoffice": libreoffice, "gnumeric": gnumeric}[PROGRAM](first)
