#!/usr/bin/python3
"""Compares the notes of a song before and after `griptool song canon`, as mido reads both.

usage: mido_note_times.py ORIGINAL CANON [ORIGINAL CANON ...]

Each note is paired with its note-off per track, channel and key, first on to first off; its
start and end are turned into seconds through the file's tempo map (every set_tempo of every
track, as mido's own playback applies them). The song's tracks are the original's, in order,
with one track put first when the song has one more. Every note of the original must be in the
song, in the same order, starting and ending within half a tick of the song's division (at the
tempo in force on either side). A note the original never ends must end where its track does.

Prints for each pair "notes N hanging H worst W" (W: the largest difference as a share of that
half tick), or the first difference; exits 1 when any pair differs.
"""
import bisect
import sys

import mido


class TempoMap:
    def __init__(self, mid):
        changes = []
        for track in mid.tracks:
            tick = 0
            for order, msg in enumerate(track):
                tick += msg.time
                if msg.type == 'set_tempo':
                    changes.append((tick, order, msg.tempo))
        changes.sort(key=lambda c: c[0])
        self.division = mid.ticks_per_beat
        self.ticks = [0]
        self.seconds = [0.0]
        self.tempos = [500000]
        for tick, _, tempo in changes:
            if tick == self.ticks[-1]:
                self.tempos[-1] = tempo
                continue
            self.seconds.append(self.seconds[-1] + (tick - self.ticks[-1]) * self.tempos[-1] / self.division / 1e6)
            self.ticks.append(tick)
            self.tempos.append(tempo)

    def at(self, tick):
        i = bisect.bisect_right(self.ticks, tick) - 1
        return self.seconds[i] + (tick - self.ticks[i]) * self.tempos[i] / self.division / 1e6, self.tempos[i]


def notes(track):
    pending = {}
    found = []
    tick = 0
    for msg in track:
        tick += msg.time
        if msg.type == 'note_on' and msg.velocity > 0:
            note = [tick, None, msg.channel, msg.note]
            pending.setdefault((msg.channel, msg.note), []).append(note)
            found.append(note)
        elif msg.type in ('note_on', 'note_off') and pending.get((msg.channel, msg.note)):
            pending[(msg.channel, msg.note)].pop(0)[1] = tick
    return found, tick


def compare(original_path, canon_path):
    original = mido.MidiFile(original_path)
    canon = mido.MidiFile(canon_path)
    if canon.ticks_per_beat != 100 or canon.type != 1:
        return 'the song is of type %d, division %d' % (canon.type, canon.ticks_per_beat)
    shift = len(canon.tracks) - len(original.tracks)
    if shift not in (0, 1):
        return 'the song has %d tracks for %d' % (len(canon.tracks), len(original.tracks))
    before, after = TempoMap(original), TempoMap(canon)
    count = hanging = 0
    worst = 0.0
    for t, track in enumerate(original.tracks):
        ours, _ = notes(track)
        theirs, canon_end = notes(canon.tracks[t + shift])
        if len(ours) != len(theirs):
            return 'track %d has %d notes, the song %d' % (t, len(ours), len(theirs))
        for a, b in zip(ours, theirs):
            if a[2:] != b[2:]:
                return 'track %d: note %s became %s' % (t, a, b)
            if a[1] is None:
                hanging += 1
                if b[1] != canon_end:
                    return 'track %d: the hanging note %s ends at %s, not at the track end %d' % (t, a, b[1], canon_end)
                a = a[:1] + [None]
            for old, new, what in ((a[0], b[0], 'start'), (a[1], b[1], 'end')):
                if old is None:
                    continue
                was, tempo_before = before.at(old)
                now, tempo_after = after.at(new)
                half_tick = 0.5 * max(tempo_before, tempo_after) / 100 / 1e6
                share = abs(was - now) / half_tick
                worst = max(worst, share)
                if share > 1 + 1e-9:
                    return 'track %d: note %s %s at %.6f s, in the song at %.6f s (%.2f half ticks off)' % (
                        t, a, what, was, now, share)
            count += 1
    return 'notes %d hanging %d worst %.3f' % (count, hanging, worst)


if __name__ == '__main__':
    status = 0
    for i in range(1, len(sys.argv) - 1, 2):
        line = compare(sys.argv[i], sys.argv[i + 1])
        if not line.startswith('notes '):
            status = 1
        print(line)
    sys.exit(status)
