# SPDX-License-Identifier: MIT
"""How much noise each receiver survives: the SNR at which half the frames decode exactly.

The recordings are corvane-cli's own: the number 0312345678 with white Gaussian noise over the
whole band (--noise-snr, at 24 000 samples per second), 40 seeds a step in steps of 0.5 dB, the
dialog's square wave and the phase-continuous sine. The same recordings go to:
  - corvane-cli decode, which finds the bit timing itself;
  - an ideal non-coherent detector written here, which is given the timing: each cell's energy at
    the two tones, the larger one wins;
  - the same detector given the square cells' exact shape (coherent, square only);
  - minimodem, 1200 baud with the two tones;
  - spandsp's caller-ID receive path: libsoxr to 8 kHz, then its JCLIP receiver (fsk_rx).
Prints each receiver's 50 % point beside its target and plots frame success against SNR.

Usage: sensitivity.py BUILD_DIR PLOT.png
"""
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
import wave

import numpy as np

NUMBER = "0312345678"
SEEDS = 40
SNRS = np.arange(-3.0, 8.01, 0.5)
RATE = 24000
BAUD = 1200
MARK_HZ, SPACE_HZ = 1300, 2100
CELL = RATE // BAUD
SILENCE_CELLS = RATE * 200 // 1000 // CELL  # corvane-cli's default silence, 200 ms
LEAD_CELLS = 80  # and its mark bits before the frame
TIMEOUT = 30  # seconds any one receiver may take over one recording
# What the decoder must reach against the ideal detector, in dB.
MARGIN_DB = 1.0


def run(command):
    try:
        return subprocess.run(command, capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return None


def frame_bytes(cli):
    out = subprocess.run([cli, "frame", "--number", NUMBER], capture_output=True, check=True, text=True)
    return bytes.fromhex(out.stdout)


def cells_of(frame):
    """The bits of the frame's cells: for each byte a start bit, eight data bits, a stop bit."""
    bits = []
    for byte in frame:
        bits += [0] + [(byte >> i) & 1 for i in range(8)] + [1]
    return np.array(bits, dtype=bool)


def read_samples(path):
    with wave.open(path, "rb") as w:
        assert w.getframerate() == RATE and w.getnchannels() == 1 and w.getsampwidth() == 2
        return np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)


def frame_cells(samples, count):
    first = (SILENCE_CELLS + LEAD_CELLS) * CELL
    return samples[first:first + count * CELL].reshape(count, CELL)


def ideal_noncoherent(samples, expected):
    cells = frame_cells(samples, len(expected))
    n = np.arange(CELL)
    energy = {hz: np.abs(cells @ np.exp(-2j * np.pi * hz * n / RATE)) ** 2 for hz in (MARK_HZ, SPACE_HZ)}
    return np.array_equal(energy[MARK_HZ] > energy[SPACE_HZ], expected)


def square_cell(hz):
    """A cell of the dialog's square wave: whole-sample periods, restarted in every cell."""
    period = RATE // hz
    return np.where(np.arange(CELL) % period < period // 2, 1.0, -1.0)


def ideal_coherent_square(samples, expected):
    cells = frame_cells(samples, len(expected))
    return np.array_equal(cells @ square_cell(MARK_HZ) > cells @ square_cell(SPACE_HZ), expected)


class Receivers:
    def __init__(self, build):
        self.cli = os.path.join(build, "cli", "corvane-cli")
        self.jclip = os.path.join(build, "bench", "corvane_jclip_rx")
        self.frame = frame_bytes(self.cli)
        self.expected = cells_of(self.frame)
        # spandsp's message: the frame without its check, parity bits cleared.
        self.message = " ".join(f"{b & 0x7F:02X}" for b in self.frame[:-2])

    def corvane(self, path):
        # A frame decoded exactly, whatever else the noise around it may have looked like.
        result = run([self.cli, "decode", "--json", path])
        if result is None:
            return False
        frames = [json.loads(line) for line in result.stdout.decode().splitlines() if line.startswith("{")]
        return any(frame["valid"] and bytes.fromhex(frame["bytes"]) == self.frame for frame in frames)

    def minimodem(self, path):
        result = run(["minimodem", "--rx", "-q", "-8", "-M", str(MARK_HZ), "-S", str(SPACE_HZ), "-f", path, str(BAUD)])
        return result is not None and self.frame in result.stdout

    def spandsp(self, path):
        result = run([self.jclip, path])
        return result is not None and self.message in result.stdout.decode().splitlines()

    def all(self, waveform):
        receivers = {
            "corvane-cli decode": self.corvane,
            "ideal non-coherent": lambda path: ideal_noncoherent(read_samples(path), self.expected),
            "minimodem": self.minimodem,
            "spandsp JCLIP (fsk_rx)": self.spandsp,
        }
        if waveform == "square":
            receivers["ideal, exact cell shape"] = lambda path: ideal_coherent_square(read_samples(path), self.expected)
        return receivers


def trial(receivers, names, waveform, snr, seed, folder):
    path = os.path.join(folder, f"{waveform}-{snr:+.1f}-{seed}.wav")
    subprocess.run([receivers.cli, "save", "--number", NUMBER, "--waveform", waveform, "--noise-snr", f"{snr:.1f}",
                    "--seed", str(seed), "-o", path], check=True)
    passed = {name: receiver(path) for name, receiver in names.items()}
    os.remove(path)
    return snr, passed


def fifty_percent(rates):
    """The SNR at which the success rate, rising with SNR, first reaches one half (interpolated)."""
    for (snr0, rate0), (snr1, rate1) in zip(rates, rates[1:]):
        if rate0 < 0.5 <= rate1:
            return snr0 + (0.5 - rate0) / (rate1 - rate0) * (snr1 - snr0)
    return None if rates[-1][1] < 0.5 else float("-inf")


def measure(receivers, waveform, folder, pool):
    names = receivers.all(waveform)
    passes = {name: {snr: 0 for snr in SNRS} for name in names}
    jobs = [pool.submit(trial, receivers, names, waveform, snr, seed, folder) for snr in SNRS
            for seed in range(1, SEEDS + 1)]
    for job in concurrent.futures.as_completed(jobs):
        snr, passed = job.result()
        for name, ok in passed.items():
            passes[name][snr] += ok
    return {name: [(snr, count / SEEDS) for snr, count in sorted(by_snr.items())] for name, by_snr in passes.items()}


def describe(point):
    if point is None:
        return "not reached"
    return "below the range" if point == float("-inf") else f"{point:5.2f} dB"


def report(waveform, curves):
    points = {name: fifty_percent(rates) for name, rates in curves.items()}
    ours = points["corvane-cli decode"]
    ideal = points["ideal non-coherent"]
    print(f"{waveform}: SNR at which half the frames decode exactly ({SEEDS} seeds a step)")
    for name, point in points.items():
        target = ""
        if name == "corvane-cli decode" and ideal is not None:
            met = ours is not None and ours <= ideal + MARGIN_DB
            target = f"(target at most {ideal + MARGIN_DB:.2f} dB: the ideal detector's + {MARGIN_DB:g} dB)"
            target += "" if met else "  MISSED"
        elif name in ("minimodem", "spandsp JCLIP (fsk_rx)"):
            met = ours is not None and (point is None or ours < point)
            target = "(target: corvane-cli decode below it)" + ("" if met else "  MISSED")
        print(f"  {name:26} {describe(point):>16}  {target}")
    return points


def plot(results, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(1, len(results), figsize=(11, 4.2), sharey=True)
    for axis, (waveform, curves) in zip(axes, results.items()):
        for name, rates in curves.items():
            style = "-" if name == "corvane-cli decode" else "--" if name.startswith("ideal") else ":"
            axis.plot([s for s, _ in rates], [100 * r for _, r in rates], style, marker=".", label=name)
        axis.axhline(50, color="grey", linewidth=0.5)
        axis.set_title(f"{'the dialog' + chr(39) + 's square wave' if waveform == 'square' else 'sine'}, number {NUMBER}")
        axis.set_xlabel("SNR, white noise over 0-12 kHz (dB)")
        axis.grid(alpha=0.3)
        axis.legend(fontsize=8, loc="lower right")
    axes[0].set_ylabel(f"frames decoded exactly (%, {SEEDS} seeds)")
    figure.suptitle("Caller-ID decoding in noise: corvane-cli against an ideal detector and other receivers")
    figure.tight_layout()
    figure.savefig(path, dpi=90)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    receivers = Receivers(sys.argv[1])
    results = {}
    with tempfile.TemporaryDirectory(prefix="corvane-sensitivity-") as folder, \
            concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
        for waveform in ("square", "sine"):
            results[waveform] = measure(receivers, waveform, folder, pool)
            report(waveform, results[waveform])
    plot(results, sys.argv[2])
    print(f"plot: {sys.argv[2]}")


if __name__ == "__main__":
    main()
