#!/usr/bin/python3
"""Reads calendar resources as another program does, for the calendar tests.

stdin: a JSON object {href: the resource's text}. stdout: a JSON object {href: {version,
prodid, calscale, events: [{uid, summary, dtstart, rrule, triggers}]}}, the values as
icalendar reads them (dtstart as YYYYMMDD, rrule and triggers in their iCalendar form).
"""

import json
import sys

import icalendar

out = {}
for href, text in json.load(sys.stdin).items():
    cal = icalendar.Calendar.from_ical(text)
    events = []
    for ev in cal.walk("VEVENT"):
        events.append({
            "uid": str(ev.get("UID", "")),
            "summary": str(ev.get("SUMMARY", "")),
            "dtstart": ev.decoded("DTSTART").strftime("%Y%m%d"),
            "rrule": ev["RRULE"].to_ical().decode() if "RRULE" in ev else "",
            "triggers": [a["TRIGGER"].to_ical().decode() for a in ev.walk("VALARM")],
        })
    out[href] = {
        "version": str(cal.get("VERSION", "")),
        "prodid": str(cal.get("PRODID", "")),
        "calscale": str(cal.get("CALSCALE", "")),
        "events": events,
    }
json.dump(out, sys.stdout, ensure_ascii=False)
