#include "peer_help.h"

QString peerHelpDetails()
{
    return QStringLiteral(R"(
Link:
  --port <path> opens an existing serial port. --pty makes a pseudo-terminal,
  keeps it raw, and prints the path the tool should open (/dev/pts/N) as the
  first line of output, after the --link is in place.

Modes:
  echo   each good frame's body goes back in a new frame.
  raw    every byte received goes back unchanged, at once. Faults do not
         apply; --delay and line noise (below) do.
  extra  the body plus the two bytes 55 AA in a new frame; the tool's
         comparison accepts a reply two bytes longer than what it sent.

Flags (--flags <style>; echo and extra modes only):
  own     every reply has its own opening and closing flag (the default).
  shared  replies back to back with one flag between them: the closing flag
          of one reply is the opening flag of the next, and so is the flag
          between the two frames of a duplicate.
  idle    one more flag before each reply, as a sender filling idle time.
  The tool's decoder takes all three alike: every flag ends a frame and opens
  the next, and a flag that ends an empty frame counts nothing. Only the byte
  counts differ.

Faults (--fault <kind>; one kind per run, echo and extra modes only):
  A reply answers one good frame. --every N spoils replies N, 2N, ... (counted
  from 1); --rate P spoils each reply with probability P, repeatable with
  --seed. Below, what the spoiled reply puts on the wire, and what the tool's
  decoder counts for it. As the next frame's opening flag only ends an empty
  frame, no fault leaves a knock-on error:
  bad-fcs     the frame with the high FCS byte inverted: 1 CRC error.
  bad-escape  7D 31 inserted after the first body byte: 1 7D error. The
              decoder hunts and skips the rest up to the closing flag.
  drop        nothing at all: no count.
  duplicate   the good frame twice: 2 good frames. The tool's comparison fails
              the second copy unless an equal packet is still outstanding.
  corrupt     the middle body byte inverted, FCS correct: 1 good frame that
              the comparison fails.
  short       flag, the first 2 bytes of body and FCS, flag: 1 short error.
  oversize    the body repeated to 8197 bytes (8199 with the FCS) in one frame:
              1 too-long error at the 8198th byte. The decoder hunts and skips
              the rest up to the closing flag.
  noise       16 seeded bytes, none of them 7E, before the good frame. Between
              the previous reply's closing flag and this frame's opening flag
              they are a frame of their own: 1 CRC error, or 1 7D error when
              7D comes before anything but 5D or 5E. Only before the first
              reply, while the decoder still hunts, are they discarded. Then
              1 good frame.
  The wire_ lines of the report count what the tool should, reply by reply.
  A reply delay is not a fault: --delay <ms> holds back every reply (and in raw
  mode every echoed read) by at least the same time, keeping the order.

Line noise (--bit-errors, --slip-every; raw mode only):
  --bit-errors P flips each bit sent back with probability P, a draw for every
  bit, but none in the first 64 bytes sent back, so that a bit error test can
  lock onto its pattern first; repeatable with --seed. --slip-every N drops
  bytes N, 2N, ... (counted from 1) of what goes back, as a receiver that slips
  a character; bits are flipped in what is left. Both go with --delay and
  --line-rate; bits_flipped and bytes_dropped count what they did.

Vanishing (--vanish, --vanish-every; with --pty and --link):
  --vanish AT:AWAY[,AT:AWAY...]: AT milliseconds after it printed the path, the
  peer removes the link and closes its pseudo-terminal, so that a port the tool
  has open sees the far end go. AWAY milliseconds later it makes a new
  pseudo-terminal, puts the link back pointing at it and serves on as a device
  just switched on: its decoder hunts, and with shared flags the first reply
  has its opening flag. Replies still held back and bytes the tool had not read
  are lost. AWAY 'never' stays away; each AT comes at or after the previous
  return. --vanish-every PERIOD:AWAY goes away at PERIOD, 2 PERIOD, ... for
  AWAY milliseconds each, AWAY shorter than PERIOD. The first line of output
  stays the only path printed: the link leads to the new one.

Line rate (--line-rate, with --pty): a pseudo-terminal passes bytes as fast as
  both ends move them. With --line-rate the peer reads, and writes its replies,
  no faster than the baud rate the tool set on the terminal allows, at 10 bits
  a byte (start, 8 data, stop) unless --char-bits <n> (7 to 12) says otherwise:
  the terminal keeps the rate but no character size. The tool then sees the
  line use a real line of that rate would give. As a USB serial adapter does,
  a busy line passes its bytes in packets, 64 bytes or a millisecond's worth
  if that is more, none held back over 10 ms.

Report (on SIGINT, SIGTERM, or once --frames is reached and the tool has read
the last reply; a 'name: value' line each, on standard output):
  frames_received    good frames decoded from what the tool sent
  replies_sent       reply frames written: a duplicate counts 2, a drop 0,
                     raw mode always 0
  bytes_received     every byte read, as --record holds them
  bytes_sent         every byte written, noise included
  bits_flipped       bits spoiled by --bit-errors
  bytes_dropped      bytes left out by --slip-every
  fault_<kind>       spoiled replies per kind: fault_bad_fcs, fault_bad_escape,
                     fault_drop, fault_duplicate, fault_corrupt, fault_short,
                     fault_oversize, fault_noise
  wire_good_frames, wire_short_errors, wire_long_errors, wire_crc_errors,
  wire_7d_errors     what a decoder that starts hunting counts from everything
                     sent: the tool's received-frame, short, too-long, CRC and
                     7D counters for the run, hunting afresh on each new line
  vanished           times the pseudo-terminal went away
  returned           times a new one took its place

Exit status: 0 after a signal or --frames; 1 when the link fails during the
run; 2 for bad options, or a port, pseudo-terminal, link or record file that
cannot be opened.
)");
}
