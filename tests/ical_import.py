# The iCalendar import fed by other programs' calendars:
#
#   ical_import.py KALVERT calcurse|zones|radicale
#
# Each case imports a calendar into the definitions of examples/book.dat,
# exports the new book as iCalendar again and lets recurring_ical_events
# expand both files: the occurrences (summary, date, start, end) must agree.
#   calcurse  calcurse's own export of a data folder written in its format:
#             timed, all-day, multi-day, daily, weekly, fortnightly, monthly
#             and yearly items, a note, ToDo items (one checked off).
#   zones     a calendar built with Python's icalendar: VTIMEZONEs, weekly
#             series in Europe/Berlin and America/New_York across the
#             daylight saving changes, UTC, floating and all-day events, and
#             a rule the book can't hold (BYSETPOS), with and without
#             --expand-until; imported with --timezone=Europe/Berlin.
#   radicale  the export of examples/book.dat stored in a radicale CalDAV
#             collection one resource per UID, as a client would; the whole
#             collection fetched back and imported gives the same CSV export
#             as the book, and imported again into that book adds nothing.
# Exit 77 (skipped) when a program or Python module the case needs is missing.
import csv
import datetime as dt
import hashlib
import importlib.util
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.error
from zoneinfo import ZoneInfo

from radicale_server import Radicale

KALVERT, CASE = os.path.abspath(sys.argv[1]), sys.argv[2]
BOOK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "book.dat")
ENC = "--encoding=EUC-JP"
BERLIN = ZoneInfo("Europe/Berlin")
YEAR = (dt.date(2026, 1, 1), dt.date(2027, 1, 1))


def skip(why):
    print(why + ": the case is skipped")
    sys.exit(77)


try:
    import icalendar
    import recurring_ical_events
except ImportError:
    skip("Python's icalendar or recurring_ical_events is missing")


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


def fail(name, why):
    sys.exit("%s: %s" % (name, why))


def kalvert_import(name, ics, out, want, *more, book=BOOK, defs=True):
    """Imports `ics` into `book` (its definitions only with `defs`); the end
    line must count `want` (added, already in the book, left out). Gives the
    messages."""
    args = [KALVERT, "-x" + book] + (["-m"] if defs else []) + ["-i" + ics, "-o" + out, "--format=ics", ENC, "-s2"]
    r = subprocess.run(args + list(more), capture_output=True)
    err = r.stderr.decode(errors="replace")
    if r.returncode != 0:
        fail(name, "the import exited %d:\n%s" % (r.returncode, err))
    last = err.rstrip("\n").rsplit("\n", 1)[-1]
    m = re.fullmatch(re.escape(ics) + r": (\d+) item\(s\) added, (\d+) already in the book, (\d+) left out\.", last)
    if not m:
        fail(name, "the import's last message is not its counts: %r" % last)
    if tuple(int(n) for n in m.groups()) != want:
        fail(name, "the end line is not %d added, %d already in the book, %d left out:\n%s" % (want + (err,)))
    return err


def export(book, fmt="ics"):
    return run(KALVERT, "-x" + book, "--format=" + fmt, ENC, "-s1").stdout


def occurrences(data, zone=None, window=YEAR):
    """(summary, date, start, end, note) of each VEVENT occurrence that
    begins in the window. A time with a zone or in UTC is moved into `zone`,
    a floating one stays; times are HH:MM, the end only when it is on the
    start's day (the only end an appointment has). A date has no times, its
    end is its number of days when more than one. A span from midnight to a
    later midnight is calcurse's all-day event of several days: its dates."""
    cal = icalendar.Calendar.from_ical(data)
    got = []
    for c in recurring_ical_events.of(cal).between(*window):
        times = [c[p].dt for p in ("DTSTART", "DTEND") if p in c]
        if zone:
            times = [t.astimezone(zone) if isinstance(t, dt.datetime) and t.tzinfo else t for t in times]
        start, end = times[0], times[-1]
        if isinstance(start, dt.datetime) and start.time() == end.time() == dt.time(0) and end > start:
            start, end = start.date(), end.date()
        if isinstance(start, dt.datetime):
            day, at = start.date(), start.strftime("%H:%M")
            until = end.strftime("%H:%M") if end.date() == day and end != start else ""
        else:
            day, at, until = start, "", "%d days" % (end - start).days if (end - start).days > 1 else ""
        if window[0] <= day < window[1]:
            got.append((str(c["SUMMARY"]), day.isoformat(), at, until, str(c.get("DESCRIPTION", "")).strip()))
    return sorted(got)


def todos(data):
    cal = icalendar.Calendar.from_ical(data)
    return sorted((str(c["SUMMARY"]), c.get("STATUS") == "COMPLETED") for c in cal.walk("VTODO"))


def expect(name, got, want):
    if got != want:
        lines = ["  - %r" % (w,) for w in want if w not in got] + ["  + %r" % (g,) for g in got if g not in want]
        fail(name, "kalvert's export (+) differs from the source (-):\n" + "\n".join(lines or ["  (in order)"]))
    print("%s: %d the same" % (name, len(want)))


def calcurse():
    if not shutil.which("calcurse"):
        skip("calcurse is not installed")
    os.makedirs("data/notes")
    note = "Bring the card"
    digest = hashlib.sha1(note.encode()).hexdigest()
    with open("data/notes/" + digest, "w") as f:
        f.write(note + "\n")
    with open("data/apts", "w") as f:
        f.write("03/10/2026 @ 09:00 -> 03/10/2026 @ 10:30 >%s |Dentist\n" % digest +
                "03/11/2026 @ 14:45 -> 03/11/2026 @ 15:00 |Phone bank\n"
                "03/12/2026 [1] Mothers day\n"
                "03/20/2026 @ 00:00 -> 03/23/2026 @ 00:00 |Conference\n"
                "03/02/2026 @ 18:00 -> 03/02/2026 @ 19:00 {1W -> 06/29/2026 !03/30/2026 !05/25/2026} |Choir\n"
                "04/02/2026 @ 19:30 -> 04/02/2026 @ 21:00 {2W -> 07/31/2026} |Yoga\n"
                "04/01/2026 @ 07:00 -> 04/01/2026 @ 07:05 {3D -> 04/30/2026} |Pills\n"
                "01/15/2026 @ 08:15 -> 01/15/2026 @ 08:45 {1M} |Rent\n"
                "01/28/2026 [1] {1M -> 10/28/2026} Pay bills\n"
                "04/01/2026 [1] {1Y} Anniversary\n")
    with open("data/todo", "w") as f:
        f.write("[1] Tax return\n[3] Buy milk\n[-2] Renew passport\n")
    source = run("calcurse", "-D", "data", "-xical", env=dict(os.environ, TZ="UTC")).stdout
    with open("calcurse.ics", "wb") as f:
        f.write(source)
    kalvert_import("calcurse", "calcurse.ics", "new.dat", (13, 0, 0), "--timezone=UTC")
    back = export("new.dat")
    expect("calcurse events", occurrences(back), occurrences(source))
    expect("calcurse ToDo items", todos(back), todos(source))


def vtimezone(tzid, standard, daylight):
    """A zone's current rules: (UTC offset in hours, first change, month,
    weekday of the change) for its standard and its daylight time."""
    tz = icalendar.Timezone()
    tz.add("tzid", tzid)
    for kind, this, other in ((icalendar.TimezoneStandard, standard, daylight),
                              (icalendar.TimezoneDaylight, daylight, standard)):
        sub = kind()
        sub.add("tzoffsetfrom", dt.timedelta(hours=other[0]))
        sub.add("tzoffsetto", dt.timedelta(hours=this[0]))
        sub.add("dtstart", this[1])
        sub.add("rrule", {"freq": "yearly", "bymonth": this[2], "byday": this[3]})
        tz.add_component(sub)
    return tz


def zones_calendar():
    cal = icalendar.Calendar()
    cal.add("prodid", "-//kalvert tests//zones//EN")
    cal.add("version", "2.0")
    cal.add_component(vtimezone("Europe/Berlin", (1, dt.datetime(1970, 10, 25, 3), 10, "-1SU"),
                                (2, dt.datetime(1970, 3, 29, 2), 3, "-1SU")))
    cal.add_component(vtimezone("America/New_York", (-5, dt.datetime(1970, 11, 1, 2), 11, "1SU"),
                                (-4, dt.datetime(1970, 3, 8, 2), 3, "2SU")))

    def event(summary, start, end, tzid=None, **more):
        e = icalendar.Event()
        e.add("uid", summary.replace(" ", "-") + "@zones.kalvert.test")
        e.add("dtstamp", dt.datetime(2026, 1, 1, tzinfo=dt.timezone.utc))
        e.add("summary", summary)
        for name, value in (("dtstart", start), ("dtend", end)):
            e.add(name, value, parameters={"TZID": tzid} if tzid else {})
            if getattr(value, "tzinfo", None):
                e[name].params.pop("TZID", None)  # a UTC time ends in Z, no TZID=UTC
        for name, value in more.items():
            e.add(name, value)
        cal.add_component(e)

    t = dt.datetime
    event("Berlin course", t(2026, 3, 17, 9), t(2026, 3, 17, 10), "Europe/Berlin",
          rrule={"freq": "weekly", "byday": ["TU", "TH"], "count": 6})
    event("Berlin autumn", t(2026, 10, 19, 18), t(2026, 10, 19, 19, 30), "Europe/Berlin",
          rrule={"freq": "weekly", "interval": 1, "until": t(2026, 11, 9, 17, tzinfo=dt.timezone.utc)})
    event("New York call", t(2026, 2, 25, 10), t(2026, 2, 25, 11), "America/New_York",
          rrule={"freq": "weekly", "count": 6})
    event("UTC late", t(2026, 3, 15, 23, 30, tzinfo=dt.timezone.utc), t(2026, 3, 16, tzinfo=dt.timezone.utc))
    event("UTC summer", t(2026, 7, 10, 7, tzinfo=dt.timezone.utc), t(2026, 7, 10, 8, tzinfo=dt.timezone.utc))
    event("Floating lunch", t(2026, 3, 20, 12), t(2026, 3, 20, 13))
    event("Holiday", dt.date(2026, 4, 6), dt.date(2026, 4, 7))
    event("Last weekday", t(2026, 1, 30, 17), t(2026, 1, 30, 17, 30), "Europe/Berlin",
          rrule={"freq": "monthly", "byday": ["MO", "TU", "WE", "TH", "FR"], "bysetpos": -1})
    return cal.to_ical()


def zones():
    source = zones_calendar()
    with open("zones.ics", "wb") as f:
        f.write(source)
    want = occurrences(source, BERLIN)
    # The New York call is at 10:00 there: 16:00 in Berlin but 15:00 in the
    # three weeks from 8 March, when New York has changed to summer time
    # and Berlin (29 March) not yet. The book's series has one time, the
    # first occurrence's: its dates all come in at 16:00 with a warning.
    ny = [w for w in want if w[0] == "New York call"]
    if [w[2] for w in ny] != ["16:00", "16:00", "15:00", "15:00", "15:00", "16:00"]:
        fail("zones", "the New York call does not cross the daylight saving gap: %r" % ny)
    want = [w for w in want if w[0] != "New York call"] + [w[:2] + ("16:00", "17:00", "") for w in ny]
    # BYSETPOS: each last weekday up to --expand-until (30 June, itself one)
    # comes in as a single item; without the option only the first does.
    last = [w for w in want if w[0] == "Last weekday"]
    if [w[1] for w in last[5:7]] != ["2026-06-30", "2026-07-31"]:
        fail("zones", "the last weekdays are not as worked out: %r" % last)
    for until, kept in (("--expand-until=2026-06-30", last[:6]), (None, last[:1])):
        name = "zones " + (until or "without --expand-until")
        more = ["--timezone=Europe/Berlin"] + ([until] if until else [])
        err = kalvert_import(name, "zones.ics", "zones.dat", (7 + len(kept), 0, 0), *more)
        for summary in ("New York call", "Last weekday"):
            if summary not in err:
                fail(name, "no warning names %r:\n%s" % (summary, err))
        expect(name, occurrences(export("zones.dat")), sorted(w for w in want if w[0] != "Last weekday" or w in kept))
        # The same file again into that book: each item is there already.
        kalvert_import(name + " again", "zones.ics", "again.dat", (0, 7 + len(kept), 0), *more, book="zones.dat",
                       defs=False)


def radicale():
    if not importlib.util.find_spec("radicale"):
        skip("radicale is not installed")
    first = export(BOOK)
    cal = icalendar.Calendar.from_ical(first)
    resources = {}
    for c in cal.subcomponents:
        resources.setdefault(str(c["UID"]), []).append(c)
    server = Radicale(fail)
    try:
        server.request("MKCALENDAR", "/kalvert/book/")
        for uid, parts in resources.items():
            one = icalendar.Calendar()
            one.add("prodid", "-//kalvert tests//CalDAV client//EN")
            one.add("version", "2.0")
            for c in parts:
                one.add_component(c)
            server.request("PUT", "/kalvert/book/%s.ics" % uid, one.to_ical())
        whole = server.request("GET", "/kalvert/book/")
    except urllib.error.HTTPError as e:
        fail("radicale", "%s %s: %s\n%s" % (e.code, e.reason, e.url, server.stop()))
    finally:
        log = server.stop()
    if len(icalendar.Calendar.from_ical(whole).subcomponents) != len(cal.subcomponents):
        fail("radicale", "the collection does not give back the %d items put:\n%s" % (len(resources), log))
    with open("collection.ics", "wb") as f:
        f.write(whole)
    want = list(csv.reader(io.StringIO(export(BOOK, "csv").decode(), newline="")))
    kalvert_import("radicale", "collection.ics", "new.dat", (len(want) - 1, 0, 0))
    got = list(csv.reader(io.StringIO(export("new.dat", "csv").decode(), newline="")))
    if got[0] != want[0]:
        fail("radicale", "the CSV header differs: %r" % got[0])
    expect("radicale CSV", sorted(got[1:]), sorted(want[1:]))
    kalvert_import("radicale again", "collection.ics", "again.dat", (0, len(want) - 1, 0), book="new.dat", defs=False)
    print("radicale again: nothing added, %d already in the book" % (len(want) - 1))


with tempfile.TemporaryDirectory() as work:
    os.chdir(work)
    os.environ["HOME"] = work
    {"calcurse": calcurse, "zones": zones, "radicale": radicale}[CASE]()
