#include "usage.h"

QString runDescription()
{
    return QStringLiteral(R"(Serial-link frame test tool.

Without the run options below it opens its window. With them it runs a
link test without a window (and without a display: a --plot is drawn
offscreen), prints the statistics panel and exits:
  pakto --port PATH --open PORT [--open PORT]...
        --send answer|timed|once|stream|prbs --duration S
        [--baud N] [--data-bits N] [--parity P] [--stop-bits N] [--flow F]
        [--tag] [--compare] [--show] [--capture FILE] [--pcap FILE]
        [--period MS] [--frames N] [--reply-timeout MS] [--one-way] [--reconnect]
        [--report-memory] [--report FILE] [--plot FILE.svg|FILE.png]
        [--junit FILE] [--metrics FILE.prom] [--prbs SEQ] [--max-ber X]
Payload and the other choices come from ./dv-ppp.ini as usual; the run does
not write the file back; a setting the run cannot use is named on stderr.
SIGINT, SIGTERM or SIGHUP stops sending, lets the replies in and prints the panel;
a second signal ends the process at once. --report writes the run as one
JSON document, also when it failed or was refused after the command line;
with --report - the document goes to stdout and the panel to stderr.
--plot draws the run's chart, --junit writes its checks for CI; both are
written like the report. --metrics keeps the run's figures for Prometheus,
rewritten whole every second. --pcap writes every frame, and every frame the
decoder refused, as pcapng for Wireshark (share/pakto/pakto.lua reads it).
Every frame sent expects one reply unless --one-way says the device
answers nothing. With --reconnect a lost port is waited for and opened
again until the time is up; each outage is in the report. --send prbs is
the bit error test: a pseudo-random bit stream, every bit that comes back
checked. --open repeated runs one link a port, the same test on each, all
together: the panel has a block for each and a line of totals, the report
each link's own in "links", the JUnit file a suite for each; --capture and
--plot write a file a link (c.txt: c-1.txt, c-2.txt), --pcap one file with
an interface a link. A port lost without --reconnect ends its link only.
Exit status:
  0    pass: no send error, framing error, comparison failure, unanswered
       frame, unexpected frame or UART error counted
  1    fail: any counted, the port went away, the capture file failed, or
       a run that passed could not write its report, plot or JUnit file
  2    usage or setup: bad command line or settings, an output that is the
       settings file, the port or another output or can never be written,
       a capture or a port that will not open
  130  interrupted by SIGINT (143: by SIGTERM, 129: by SIGHUP))");
}
