#!/usr/bin/python3
"""Prints a MIDI file as mido reads it, in the line format of `griptool midi dump`.

mido normalises some records, so a few are printed in a form both sides can be brought to:
- system exclusive: mido keeps neither the status that began the packet (f0 or f7) nor a
  final f7, so these lines read `T TICK sysex HEX` with the data up to a final f7;
- meta: the bytes come from mido's own re-encoding (`MetaMessage.bytes()`), which gives the
  stored data back for every type it knows, and unknown types keep their raw data;
- running status and note-on with velocity 0 need no mapping: both readers expand running
  status and keep a note-on as a note-on.

With --unmatched it prints "unmatched" when some track keeps a note-on without a note-off
under the game's pairing rule (by note number alone, at most five pending per note, a
note-off with nothing pending ignored), and "matched" otherwise.
"""
import sys

import mido


def hexbytes(data):
    return ''.join('%02x' % b for b in data) if data else '-'


def unmatched(path):
    for track in mido.MidiFile(path).tracks:
        pending = [0] * 128
        for msg in track:
            if msg.type == 'note_on' and msg.velocity > 0:
                pending[msg.note] = min(pending[msg.note] + 1, 5)
            elif msg.type in ('note_on', 'note_off') and pending[msg.note]:
                pending[msg.note] -= 1
        if any(pending):
            return True
    return False


def main(path):
    mid = mido.MidiFile(path)
    print('format %d tracks %d division %d' % (mid.type, len(mid.tracks), mid.ticks_per_beat))
    for t, track in enumerate(mid.tracks):
        tick = 0
        for msg in track:
            tick += msg.time
            if msg.is_meta:
                raw = msg.bytes()
                # ff, type, a variable-length count, then the data.
                i = 2
                while raw[i] & 0x80:
                    i += 1
                print('%d %d ff %02x %s' % (t, tick, raw[1], hexbytes(raw[i + 1:])))
            elif msg.type == 'sysex':
                print('%d %d sysex %s' % (t, tick, hexbytes(msg.data)))
            else:
                raw = msg.bytes()
                if raw[0] < 0xf0:
                    d1 = raw[1] if len(raw) > 1 else 0
                    d2 = raw[2] if len(raw) > 2 else 0
                    print('%d %d %02x %02x %02x' % (t, tick, raw[0], d1, d2))
                else:
                    print('%d %d %02x' % (t, tick, raw[0]))


if __name__ == '__main__':
    if sys.argv[1] == '--unmatched':
        print('unmatched' if unmatched(sys.argv[2]) else 'matched')
    else:
        main(sys.argv[1])
