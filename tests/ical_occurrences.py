# The occurrences of every VEVENT and VTODO of an iCalendar file as Python's
# icalendar and recurring_ical_events read them: "SUMMARY: YYYY-MM-DD ..." per
# component, a * after an occurrence that is completed.
import collections
import datetime
import sys

import icalendar
import recurring_ical_events

with open(sys.argv[1], "rb") as f:
    calendar = icalendar.Calendar.from_ical(f.read())
dates = collections.defaultdict(list)
window = (datetime.date(1999, 1, 1), datetime.date(2031, 1, 1))
for c in recurring_ical_events.of(calendar, components=["VEVENT", "VTODO"]).between(*window):
    start = c["DTSTART"].dt
    day = start.date() if isinstance(start, datetime.datetime) else start
    dates[str(c["SUMMARY"])].append(day.isoformat() + ("*" if c.get("STATUS") == "COMPLETED" else ""))
for name, days in sorted(dates.items()):
    print(name + ": " + " ".join(sorted(days)))
