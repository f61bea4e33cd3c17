#!/bin/sh
# Prints the Debian packages that the tests need beyond the build and this
# machine lacks: the system Python, whose csv module reads the CSV export
# back, and libical and Python's icalendar with recurring_ical_events, which
# read the iCalendar export back (tests/ical_parsers_test.cpp); LibreOffice
# and Gnumeric, which open and save the CSV export (tests/spreadsheets.py);
# calcurse and radicale, whose calendars the iCalendar import reads
# (tests/ical_import.py); Python's vobject, abook and khard, which read the
# vCard export (tests/vcard_readers.py).
need=""
[ -x /usr/bin/python3 ] || need="$need python3"
command -v pkg-config >/dev/null 2>&1 || need="$need pkg-config"
pkg-config --exists libical 2>/dev/null || need="$need libical-dev"
/usr/bin/python3 -c 'import icalendar' 2>/dev/null || need="$need python3-icalendar"
/usr/bin/python3 -c 'import recurring_ical_events' 2>/dev/null || need="$need python3-recurring-ical-events"
command -v soffice >/dev/null 2>&1 || need="$need libreoffice-calc-nogui"
command -v ssconvert >/dev/null 2>&1 || need="$need gnumeric"
command -v calcurse >/dev/null 2>&1 || need="$need calcurse"
/usr/bin/python3 -c 'import radicale' 2>/dev/null || need="$need radicale"
/usr/bin/python3 -c 'import vobject' 2>/dev/null || need="$need python3-vobject"
command -v abook >/dev/null 2>&1 || need="$need abook"
command -v khard >/dev/null 2>&1 || need="$need khard"
echo $need
