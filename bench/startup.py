#!/usr/bin/env python3
"""Start-up of the player on the sample project: the time from exec to the
first frame shown in its window, against the same time for a plain SDL
program that opens the same window and shows one frame (startup-probe), and
the peak memory of the player.

    bench/startup.py [--build build/release] [--runs 7]

Runs itself under xvfb-run when there is no display. The two programs run
alternately, so a change in the machine's load touches both. Goals: the
player's median at most twice the probe's, 80 MB. A frame counts as shown
when the window's area of the (black) screen lights up; the process is then
asked to close and its peak resident size is taken. The load average is
printed with the figures: on a busy machine they mean little.
"""
import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

GOAL_RATIO = 2.0
GOAL_MB = 80
SCREEN_W, SCREEN_H = 1024, 768


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """The root window's pixels through Xlib."""

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XDestroyImage = None  # a macro; the image is freed with XFree below
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("cannot open the X display")
        self.root = self.x.XDefaultRootWindow(self.display)

    def lit(self):
        """Bright pixels in the middle of the screen, where the window opens."""
        w, h = 640, 480
        img = self.x.XGetImage(self.display, self.root, (SCREEN_W - w) // 2, (SCREEN_H - h) // 2, w, h,
                               0xFFFFFFFF, 2)  # ZPixmap
        if not img:
            return 0
        im = img.contents
        count = 0
        if im.bits_per_pixel == 32:
            data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            for y in range(0, h, 4):
                row = y * im.bytes_per_line
                for x in range(0, w * 4, 16):
                    if data[row + x] > 0x20 or data[row + x + 1] > 0x20 or data[row + x + 2] > 0x20:
                        count += 1
        self.x.XFree(ctypes.cast(im.data, ctypes.c_void_p))
        self.x.XFree(ctypes.cast(img, ctypes.c_void_p))
        return count


def one_run(command, project, screen, runtime):
    """Runs `command` (the player on `project`, or the probe when project is
    None) until its frame is shown."""
    log = os.path.join(project, "Report_Game.txt") if project else None
    if log and os.path.exists(log):
        os.remove(log)
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", SDL_VIDEODRIVER="x11", XDG_RUNTIME_DIR=runtime,
               SDL_HINT_FORCE_RAISEWINDOW="1", ASAN_OPTIONS="detect_leaks=0")
    start = time.perf_counter()
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = None
    focused = False
    while time.perf_counter() - start < 20:
        if screen.lit() > 50:
            shown = (time.perf_counter() - start) * 1000
            break
        if proc.poll() is not None:
            break
        # Without a window manager nothing gives the window the focus: do it
        # once the window exists (its cost is counted, which only makes the
        # figure worse).
        if not focused and log and os.path.exists(log) and "Start-up : done" in open(log, encoding="utf-8",
                                                                          errors="replace").read():
            subprocess.run(["xdotool", "search", "--pid", str(proc.pid), "windowfocus"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            focused = True
        time.sleep(0.001)
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
    _, status, usage = os.wait4(proc.pid, 0)
    time.sleep(0.2)  # let the screen go dark again
    return shown, usage.ru_maxrss / 1024.0, os.waitstatus_to_exitcode(status)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default="build/release")
    ap.add_argument("--runs", type=int, default=7)
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        if not shutil.which("xvfb-run"):
            raise SystemExit("no display and no xvfb-run")
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 %dx%dx24 -br" % (SCREEN_W, SCREEN_H),
                               sys.executable, os.path.abspath(__file__)] + sys.argv[1:])
    brindle = os.path.join(args.build, "brindle")
    maker = os.path.join(args.build, "tools", "make-sample-project")
    probe = os.path.join(args.build, "bench", "startup-probe")
    for exe in (brindle, maker, probe):
        if not os.access(exe, os.X_OK):
            raise SystemExit("%s is missing: cmake --build build/release --target brindle make-sample-project "
                             "startup-probe" % exe)
    work = tempfile.mkdtemp(prefix="brindle-startup-")
    try:
        project = os.path.join(work, "game")
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime)
        subprocess.run([maker, project], check=True, stdout=subprocess.DEVNULL)
        screen = Screen()
        one_run([brindle, project], project, screen, runtime)  # warm the file cache
        one_run([probe], None, screen, runtime)
        times, probe_times, peaks = [], [], []
        loads = [os.getloadavg()[0]]
        for _ in range(args.runs):
            shown, peak, code = one_run([brindle, project], project, screen, runtime)
            if shown is None or code != 0:
                raise SystemExit("player run failed: frame %s, exit code %s" % (shown, code))
            times.append(shown)
            peaks.append(peak)
            shown, _, code = one_run([probe], None, screen, runtime)
            if shown is None or code != 0:
                raise SystemExit("probe run failed: frame %s, exit code %s" % (shown, code))
            probe_times.append(shown)
        loads.append(os.getloadavg()[0])
        median = statistics.median(times)
        probe_median = statistics.median(probe_times)
        ratio = median / probe_median
        print("player to first frame: median %.0f ms, min %.0f, max %.0f"
              % (median, min(times), max(times)))
        print("plain SDL window to first frame: median %.0f ms, min %.0f, max %.0f"
              % (probe_median, min(probe_times), max(probe_times)))
        print("ratio: %.2f (goal at most %.1f)" % (ratio, GOAL_RATIO))
        print("peak memory: %.1f MB (goal %d MB)" % (max(peaks), GOAL_MB))
        print("load average (1 min) before and after: %.2f, %.2f on %d cores"
              % (loads[0], loads[1], os.cpu_count() or 0))
        return 0 if ratio <= GOAL_RATIO and max(peaks) <= GOAL_MB else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
