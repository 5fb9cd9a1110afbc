#!/usr/bin/env python3
"""Benchmarks of `brennic --headless`: start to READY, resident memory with 10,000 saved
samples, and CPU use at one controller line every 2 s.

Usage: bench/headless_service.py BUILD_DIR [--cpu-seconds 600]

It runs the program against a pseudo-terminal with its own configuration folder, stands in
for systemd's notification socket, and prints one line per figure. The figures depend on the
machine and on what else runs on it.
"""
import argparse
import os
import pty
import socket
import subprocess
import tempfile
import time


def write_config(folder, port, data):
    """Config.Txt from the test fixture with this run's port and data folder."""
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "tests", "fixtures", "config", "Config-v7.txt")) as f:
        text = f.read()
    text = text.replace("/dev/ttyUSB0", port).replace("/home/ann/Documents/brennic", data)
    with open(os.path.join(folder, "Config.Txt"), "w") as f:
        f.write(text)


def line(i, collector):
    return "%02d:%02d %.1f 120.0 10.0 180.0 140.0 130.0 ON OFF\r\n" % (
        (i // 60) % 24, i % 60, collector)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--cpu-seconds", type=int, default=600)
    ap.add_argument("--samples", type=int, default=10000)
    args = ap.parse_args()
    exe = os.path.join(os.path.abspath(args.build), "brennic")
    tmp = tempfile.mkdtemp(prefix="brennic_bench_")
    config = os.path.join(tmp, "config")
    data = os.path.join(tmp, "data")
    os.makedirs(config)
    master, slave = pty.openpty()
    port = os.ttyname(slave)
    write_config(config, port, data)
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "JOURNAL_STREAM")}

    sock_path = os.path.join(tmp, "notify")
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    sock.bind(sock_path)
    sock.settimeout(10)
    env["NOTIFY_SOCKET"] = sock_path
    t0 = time.monotonic()
    proc = subprocess.Popen([exe, "--headless", "--config-dir", config], env=env,
                            stderr=subprocess.DEVNULL)
    ready = None
    while ready is None:
        msg = sock.recv(4096).decode()
        if "READY=1" in msg:
            ready = time.monotonic() - t0
    print("start to READY: %.0f ms" % (ready * 1000))

    # 10,000 samples as fast as the station takes them.
    for i in range(args.samples):
        os.write(master, line(i, 150.0 + (i % 50) / 10).encode())
        if i % 200 == 0:
            time.sleep(0.05)
    time.sleep(3)
    with open("/proc/%d/status" % proc.pid) as f:
        rss = [l for l in f if l.startswith("VmRSS:")][0].split()[1]
    print("RSS with %d samples: %.1f MB" % (args.samples, int(rss) / 1024))

    # CPU at one line every 2 s.
    def cpu_ticks():
        with open("/proc/%d/stat" % proc.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    start_ticks = cpu_ticks()
    start = time.monotonic()
    i = args.samples
    while time.monotonic() - start < args.cpu_seconds:
        os.write(master, line(i, 155.0).encode())
        i += 1
        time.sleep(2)
    used = (cpu_ticks() - start_ticks) / os.sysconf("SC_CLK_TCK")
    elapsed = time.monotonic() - start
    print("CPU at one line every 2 s over %d s: %.3f %% of a core" %
          (elapsed, 100.0 * used / elapsed))

    t1 = time.monotonic()
    proc.terminate()
    code = proc.wait(timeout=60)
    print("SIGTERM to exit: %.0f ms, status %d" % ((time.monotonic() - t1) * 1000, code))


if __name__ == "__main__":
    main()
