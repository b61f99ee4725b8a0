"""find_clips.py RUN WAVS: each clip called (RUN/trace: monotonic time, WAV size) found in the sink's monitor
   (RUN/rec, 48 kHz mono s16le; RUN/rec.times: samples so far and monotonic time as each block came), in order."""
import array, bisect, statistics, sys, wave

RATE, QUIET = 48000, 16  # silence: no sample beyond 16 of 32768
CLIPS = {420: 101, 800: 102, 1048: 103, 944: 104, 1348: 105, 40820: 106, 45060: 107, 101016: 108, 4180: 109,
         53496: 110, 47500: 111}  # the clips by the sizes of their WAV images
run, wavs = sys.argv[1:3]
rec = array.array('h', open(run + '/rec', 'rb').read())
ns, ts = zip(*((int(n), float(t)) for n, t in (line.split() for line in open(run + '/rec.times'))))
calls = [(float(t), CLIPS[int(n)]) for t, n in (line.split() for line in open(run + '/trace'))]
ids = [c for _, c in calls]
assert sum(c <= 105 for c in ids) >= 30 and sum(102 <= c <= 105 for c in ids) >= 3, ids
assert ids[-2:] == [108, 109], ids  # the game-lost tune, cut by the closing clip


def reference(clip):  # the clip at the sink's rate by linear interpolation, full scale 32767
    with wave.open(f'{wavs}/{clip}.wav') as w:
        rate, raw = w.getframerate(), w.readframes(w.getnframes())
    x = [(b - 128) / 128 * 32767 for b in raw + raw[-1:]]
    return [x[j * rate // RATE] + (x[j * rate // RATE + 1] - x[j * rate // RATE]) * (j * rate % RATE / RATE)
            for j in range(len(raw) * RATE // rate)]


def match(ref, s, n):  # correlation and gain of the recording from sample s against the clip's first n samples
    n = min(n, len(ref), len(rec) - s)
    xr, xx, rr = (sum(a * b for a, b in zip(u, v)) for u, v in
                  ((rec[s:s + n], ref), (rec[s:s + n], rec[s:s + n]), (ref[:n], ref[:n])))
    return xr / max(1.0, (xx * rr) ** 0.5), xr / max(1.0, rr)


refs, starts, latencies, gains, loudest = {c: reference(c) for c in set(ids)}, [], [], [], 0
for i, (t, clip) in enumerate(calls):
    ref = refs[clip]
    first = next(j for j, r in enumerate(ref) if abs(r) > QUIET)
    begin = max(0, ns[max(0, bisect.bisect_left(ts, t) - 1)] - 480)  # a block before the call, to be safe
    end = starts[-1] + len(refs[ids[i - 1]]) if starts else 0  # where the clip before ends, uncut
    cut, window = end > begin, range(begin, min(begin + RATE, len(rec)))
    onset = None if cut else next((s for s in window if abs(rec[s]) > QUIET), None)
    tries = window if cut else [onset - first + d for d in range(-3, 4)] if onset is not None else []
    best = max(tries, key=lambda s: match(ref, s, first + 256)[0], default=None)
    corr, gain = match(ref, best, RATE // 4) if best is not None else (0, 0)
    assert corr > 0.9, f'call {i} (clip {clip}) not found in the recording: correlation {corr:.2f}'
    # Silent from the end of the clip before, or for a cut one in the last few milliseconds before this clip.
    loudest = max([loudest] + [abs(v) for v in rec[best - RATE // 250 if cut else end + 96 if starts else 0:best]])
    assert loudest <= QUIET, f'no silence before call {i} (clip {clip}): |sample| {loudest}'
    k = bisect.bisect_right(ns, best + first)  # when the first sound was on the sink, at the latest
    starts, gains = starts + [best], gains + [gain]
    latencies.append(ts[k] - (ns[k] - 1 - best - first) / RATE - t)
tail = max(abs(v) for v in rec[starts[-1] + len(refs[109]) + 96:] or [0])  # the cut tune does not go on
assert tail <= QUIET, f'sound after the last clip: |sample| {tail}'
assert 0.9 < min(gains) and max(gains) < 1.1, f'clips played at {min(gains):.2f}..{max(gains):.2f} of their level'
print(f'{run}: {len(starts)}/{len(calls)} clips found in order; largest |sample| between clips {max(loudest, tail)}; '
      f'level {min(gains):.2f}..{max(gains):.2f}; call to sink {statistics.median(latencies) * 1000:.0f} ms median, '
      f'{max(latencies) * 1000:.0f} ms at most')
assert statistics.median(latencies) < 0.1, 'the clips come late'
