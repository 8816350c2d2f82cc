#!/usr/bin/env python3
"""Reads the JSON report of a headless pakto run (a file, or stdin without
one), checks every key and type and that the counts add up, and prints
"name: value" lines: each counter, exit_code, reasons (space-separated) and
round_trip_ms, and the duration asked and run; then each link's port, files,
counters and reasons as "linkN_name: value". Exits non-zero on a report that
is not what the README describes."""
import datetime, json, sys

NUM, OPT = (int, float), type(None)
KEYS = dict(tool=dict, started=str, duration_s=dict, command_line=list, port=str,
            baud=(int, OPT), mode=str, period_ms=(int, OPT), reply_timeout_ms=(int, OPT),
            expect_replies=bool, tag=bool, compare=bool, payload=(str, OPT), capture=(str, OPT),
            pcap=(str, OPT), counters=dict, line_use=dict, round_trip_ms=dict, timeline=list, timeline_step_s=int,
            verdict=str, reasons=list, warnings=list, exit_code=int, line=(dict, OPT),
            uart=(dict, OPT), ber=(dict, OPT), outages=list, links=list)
# What each link has; the top level sums them up.
LINK = dict(port=str, capture=(str, OPT), plot=(str, OPT), counters=dict, line=(dict, OPT),
            line_use=dict, uart=(dict, OPT), round_trip_ms=dict, timeline=list, outages=list,
            warnings=list, reasons=list, ber=(dict, OPT))
ENTRY = ("t_s tx_packets rx_packets errors compare_failed no_reply late unexpected tx_errors "
         "uart_errors tx_line_bytes rx_bytes rtt_p50_ms rtt_p99_ms bits bit_errors sync_losses "
         "outage_ms").split()
SUMS = dict(tx_packets="tx_packets", rx_packets="rx_packets", compare_failed="compare_failed",
            no_reply="no_reply", late="late", unexpected="unexpected", tx_errors="tx_errors",
            tx_line_bytes="tx_line_bytes", rx_bytes="rx_bytes")
OUTAGE = "lost_s back_s length_ms given_up reason".split()
COUNTERS = ("tx_packets tx_bytes tx_errors tx_line_bytes rx_packets rx_bytes crc_errors escape_errors "
            "long_errors short_errors answered compare_ok compare_failed no_reply late "
            "unexpected before_clean_start outages send_rate_bps").split()
TRIPS = "count ambiguous min mean p50 p90 p99 p999 max".split()
LINE = dict(baud=int, data_bits=(5, 6, 7, 8), parity=("none", "even", "odd", "mark", "space"),
            stop_bits=(1, 2), flow_control=("none", "rtscts", "xonxoff"))
UART = "frame overrun parity brk buf_overrun".split()

report = json.load(open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin)
OPTIONAL = dict(counters={}, line_use={}, round_trip_ms={}, timeline=[], timeline_step_s=1)
for key, kind in KEYS.items():
    assert isinstance(report.get(key, OPTIONAL.get(key)), kind), key
assert sorted(report["tool"]) == ["name", "version"], report["tool"]
assert datetime.datetime.fromisoformat(report["started"]).utcoffset() is not None
assert all(isinstance(report["duration_s"][k], NUM) for k in ("asked", "run"))
assert report["verdict"] in ("pass", "fail")
assert (report["verdict"] == "fail") == bool(report["reasons"]) == (report["exit_code"] != 0)
assert all(type(s) is str for s in report["reasons"] + report["warnings"] + report["command_line"])

def union(lists):
    """The words of every list in order, each once."""
    words = []
    for word in (w for l in lists for w in l):
        words += [word] * (word not in words)
    return words


def check(part, top):
    """What a link has and the top level sums up: types, and that the counts add up."""
    for key, kind in LINK.items():
        assert isinstance(part.get(key, OPTIONAL.get(key)), kind), key
    assert all(type(s) is str for s in part["reasons"] + part["warnings"])
    line, uart = part.get("line") or {}, part.get("uart") or {}
    assert sorted(line) in ([], sorted(LINE)), sorted(line)
    assert all(type(line[k]) is v if type(v) is type else line[k] in v for k, v in LINE.items() if line)
    assert sorted(uart) in ([], sorted(UART)), sorted(uart)
    assert all(type(v) is int and v >= 0 for v in uart.values())
    if uart or not top:  # with a link that keeps no UART counts the top level has none
        assert any(uart.values()) == ("uart_errors" in part["reasons"]), (uart, part["reasons"])
    c = part.get("counters", {})
    assert sorted(c) in ([], sorted(COUNTERS)), sorted(c)
    assert all(type(v) is int and v >= 0 for v in c.values())
    use = dict(part.get("line_use", {}))
    paced = use.pop("paced", None)
    assert sorted(use) in ([], ["rx", "tx"]) and all(v is None or v >= 0 for v in use.values()), use
    assert paced is None if use.get("tx") is None else type(paced) is bool, paced
    assert not paced or max(use.values()) <= 1.05, (paced, use)
    if c and report["expect_replies"]:  # at the end nothing is outstanding
        assert c["tx_packets"] == c["answered"] + c["no_reply"], c
        others = c["compare_failed"] if report["compare"] else c["unexpected"]
        assert c["rx_packets"] == c["answered"] + c["late"] + others, c  # before_clean_start apart
        assert report["compare"] or c["compare_ok"] + c["compare_failed"] == 0, c
        assert c["compare_ok"] == (c["answered"] if report["compare"] else 0), c
    timeline = part.get("timeline", [])
    assert all(sorted(e) == sorted(ENTRY) for e in timeline), timeline[:1]
    assert [e["t_s"] for e in timeline] == sorted(e["t_s"] for e in timeline)
    if c and timeline:  # every count decided in some second
        framing = sum(c[k] for k in ("crc_errors", "escape_errors", "long_errors", "short_errors"))
        assert sum(e["errors"] for e in timeline) == framing, timeline
        for key, total in SUMS.items():
            assert sum(e[key] for e in timeline) == c[total], (key, timeline)
    ber = part.get("ber")  # the bit error test's, null in the framed modes
    assert (ber is not None) == (report["mode"] == "prbs"), report["mode"]
    if ber:
        assert sorted(ber) == sorted("sequence bits errors ratio upper_95 sync_losses".split()), ber
        assert ber["sequence"] in ("prbs7", "prbs9", "prbs15", "prbs23", "prbs31"), ber
        assert all(type(ber[k]) is int and ber[k] >= 0 for k in ("bits", "errors", "sync_losses"))
        assert ber["errors"] <= ber["bits"] and (ber["ratio"] is None) == (ber["bits"] == 0), ber
        assert ber["ratio"] is None or ber["ratio"] < ber["upper_95"], ber  # the bound lies above
        for key, total in dict(bits="bits", bit_errors="errors", sync_losses="sync_losses").items():
            assert sum(e[key] for e in timeline) == ber[total], (key, timeline)
    else:
        assert all(e[k] is None for e in timeline for k in ("bits", "bit_errors", "sync_losses"))
    outages = part["outages"]  # each loss of the port, in order; back_s null: never back
    assert len(outages) == c.get("outages", 0) or len(outages) == 10000, (outages, c)
    assert all(sorted(o) == sorted(OUTAGE + ["port"] * top) for o in outages), outages
    for o in outages:
        assert type(o["given_up"]) is int and type(o["reason"]) is str and o["lost_s"] >= 0, o
        assert (o["back_s"] is None) == (o["length_ms"] is None), o
        assert o["back_s"] is None or abs(o["back_s"] - o["lost_s"] - o["length_ms"] / 1000) < 1e-6
    assert [o["lost_s"] for o in outages] == sorted(o["lost_s"] for o in outages), outages
    assert bool(outages) <= ("port_lost" in part["reasons"]), part["reasons"]
    assert all(isinstance(e["outage_ms"], NUM) and e["outage_ms"] >= 0 for e in timeline), timeline
    trips = part.get("round_trip_ms", {"count": 0, "ambiguous": 0})  # where a reply matched
    assert sorted(trips) in (["ambiguous", "count"], sorted(TRIPS)), sorted(trips)
    assert trips["count"] + trips["ambiguous"] == c.get("compare_ok", 0), (trips, c)
    assert all(isinstance(trips[k], NUM) if trips["count"] else trips[k] is None for k in TRIPS[2:]
               if k in trips)
    return c, use, paced, timeline, trips, ber, outages


c, use, paced, timeline, trips, ber, outages = check(report, True)
links = report["links"]  # one a port, in --open order
assert [l["port"] for l in links][:1] == [report["port"]] and len({l["port"] for l in links}) == len(links)
assert all(sorted(l) == sorted(k for k in LINK if k in l) for l in links), links
for link in links:
    check(link, False)
    assert link["line"] == report["line"], link["line"]
    assert all(r in report["reasons"] for r in link["reasons"]), (link["reasons"], report["reasons"])
assert c == {k: sum(l["counters"][k] for l in links) for k in c}, c  # the top level sums them up
assert report["warnings"] == union(l["warnings"] for l in links), report["warnings"]
for i, e in enumerate(timeline):  # entry i of every link added up, the start the first's
    entries = [l["timeline"][i] for l in links if len(l["timeline"]) > i]
    assert e["t_s"] == entries[0]["t_s"] and all(e[k] == sum(f[k] for f in entries) for k in SUMS), e
for way in ("tx", "rx"):  # the lowest link's
    assert use.get(way) is None or use[way] == min(l["line_use"][way] for l in links), use
withPort = [dict(o, port=l["port"]) for l in links for o in l["outages"]]
assert outages == sorted(withPort, key=lambda o: o["lost_s"]), outages
for name, value in c.items():
    print(f"{name}: {value}")
print(f"exit_code: {report['exit_code']}")
print(f"mode: {report['mode']}")
print(f"duration_asked: {report['duration_s']['asked']}")
print(f"duration_run: {report['duration_s']['run']}")
for way, share in use.items():
    print(f"line_use_{way}: {share}")
print(f"line_use_paced: {paced}")
print(f"reasons: {' '.join(report['reasons'])}")
for name, value in (ber or {}).items():
    print(f"ber_{name}: {value}")
print(f"round_trip_count: {trips['count']}")
for n, o in enumerate(outages, 1):
    print(f"outage_{n}:", " ".join(f"{k} {o[k]}" for k in ("lost_s", "back_s", "length_ms", "given_up")))
print(f"outage_ms: {sum(e['outage_ms'] for e in timeline)}")
print(f"last_rx_packets: {timeline[-1]['rx_packets'] if timeline else 0}")
print(f"ambiguous: {trips['ambiguous']}")
print("round_trip_ms:", " ".join(f"{k} {trips[k]:.3f}" for k in TRIPS[2:] if trips.get(k) is not None))
for n, link in enumerate(links, 1):
    for name in ("port", "capture", "plot"):
        print(f"link{n}_{name}: {link[name]}")
    for name, value in link.get("counters", {}).items():
        print(f"link{n}_{name}: {value}")
    print(f"link{n}_reasons: {' '.join(link['reasons'])}")
