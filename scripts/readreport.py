#!/usr/bin/env python3
"""Reads the JSON report of a headless pakto run (a file, or stdin without
one), checks every key and type, and prints "name: value" lines: each counter,
exit_code, reasons (space-separated) and round_trip_ms. Exits non-zero on a
report that is not what the README describes."""
import datetime, json, sys

NUM, OPT = (int, float), type(None)
KEYS = dict(tool=dict, started=str, duration_s=dict, command_line=list, port=str,
            baud=(int, OPT), mode=str, period_ms=(int, OPT), reply_timeout_ms=(int, OPT),
            tag=bool, compare=bool, payload=(str, OPT), capture=(str, OPT), counters=dict,
            round_trip_ms=dict, verdict=str, reasons=list, warnings=list, exit_code=int)
COUNTERS = ("tx_packets tx_bytes tx_errors rx_packets rx_bytes crc_errors escape_errors "
            "long_errors short_errors compare_ok compare_failed no_reply send_rate_bps").split()
TRIPS = "count min mean p50 p90 p99 p999 max".split()

report = json.load(open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin)
for key, kind in KEYS.items():  # counters and round_trip_ms may be absent
    assert isinstance(report.get(key, {}), kind), key
assert sorted(report["tool"]) == ["name", "version"], report["tool"]
assert datetime.datetime.fromisoformat(report["started"]).utcoffset() is not None
assert all(isinstance(report["duration_s"][k], NUM) for k in ("asked", "run"))
assert report["verdict"] in ("pass", "fail")
assert (report["verdict"] == "fail") == bool(report["reasons"]) == (report["exit_code"] != 0)
assert all(type(s) is str for s in report["reasons"] + report["warnings"] + report["command_line"])
counters = report.get("counters", {})
assert sorted(counters) in ([], sorted(COUNTERS)), sorted(counters)
assert all(type(v) is int and v >= 0 for v in counters.values())
trips = report.get("round_trip_ms", {"count": 0})  # one for each matched comparison
assert sorted(trips) in (["count"], sorted(TRIPS)) and trips["count"] == counters.get("compare_ok", 0)
assert all(isinstance(v, NUM) for v in trips.values())

for name, value in counters.items():
    print(f"{name}: {value}")
print(f"exit_code: {report['exit_code']}")
print(f"reasons: {' '.join(report['reasons'])}")
print("round_trip_ms:", " ".join(f"{k} {trips[k]:.3f}" for k in TRIPS[1:] if k in trips))
