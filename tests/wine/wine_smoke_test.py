#!/usr/bin/env python3
"""The Windows program under Wine on a virtual X desktop, watched from outside.

    wine_smoke_test.py --source DIR --build DIR --sendkeys EXE --tmp DIR

Two desktops of 1280x800, each with its own X server: openbox and trayer, where the program
starts, its toolbar strip stands at the right edge and slides out under a resting pointer, the
follow image comes to the pointer, the tray icon shows in trayer and F8 (pressed inside Wine)
hides and brings back the follow image; then openbox with xcompmgr, where the pen opened from
the toolbar draws a rectangle at the dragged place and the toolbox's clear button takes it away.
Wine blends windows with a constant alpha only under a compositor: without one the pen's veil
would cover the screen in white.

The program runs from a copy of its run folder in a Wine prefix of the run's own, linked from the
build's prefix. Input comes from xdotool (XTest), except F8, which a small Windows program sends
from inside Wine: Wine delivers a system hot key only for input sent from inside Wine, or for a
key pressed while a Wine window has the focus. Screenshots go to the screenshots folder beside
the temporary folder given (build-windows/test-tmp/screenshots/ under CTest).
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

SIZE = (1280, 800)
TOOLBAR_WIDTH, TOOLBAR_HEIGHT, STRIP = 65, 198, 5
# The top of the toolbar's pen panel within the toolbar; the panels are 25 pixels high.
PEN_PANEL = 136
# The pen's toolbox stands 130 pixels left of the right edge, 10 below the top; its tool buttons
# are two rows of three, 23 by 22 pixels from (18, 49) of the toolbox.
TOOLBOX = (SIZE[0] - 130, 10, 112, 255)
RECTANGLE_TOOL, CLEAR_TOOL = 3, 6
RED = (255, 0, 0)  # the pen's colour at start
HIGHLIGHT = (0x00, 0x78, 0xD7)  # the brush's colour at start
# The veil before the figures is white at 10/255; a compositor's blend may differ by a step.
VEIL_TOLERANCE = 14


def tool_button(number):
    x = TOOLBOX[0] + 8 + 10 + (number - 1) % 3 * 23 + 11
    y = TOOLBOX[1] + 8 + 41 + (number - 1) // 3 * 24 + 10
    return x, y


class Failure(Exception):
    pass


def wait_until(seconds, condition, step=0.1):
    """Asks until the condition holds or the deadline passes; gives its last answer."""
    end = time.monotonic() + seconds
    while True:
        answer = condition()
        if answer or time.monotonic() >= end:
            return answer
        time.sleep(step)


class Screen:
    """One picture of the whole screen, read through ImageMagick's import as PPM."""

    def __init__(self, display):
        data = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8",
                               "ppm:-"],
                              check=True, capture_output=True).stdout
        # P6, width, height, maximum value, each followed by one white-space character.
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            fields.append(data[start:at])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise Failure("import gave no 8-bit PPM picture of the screen")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def save(self, path):
        rows = b"".join(b"\0" + self.pixels[y * self.width * 3:(y + 1) * self.width * 3]
                        for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(rows, 6)))
            f.write(chunk(b"IEND", b""))


def settle(seconds, desktop, condition):
    """Looks at the screen until the condition holds of it or the deadline passes; gives whether
    it held and the last look. The screen shows what the program does a little later."""
    last = [None]

    def holds():
        last[0] = desktop.look()
        return condition(last[0])

    return bool(wait_until(seconds, holds)), last[0]


def distance(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


def hexed(colour):
    return "#%02x%02x%02x" % colour


class Desktop:
    """A virtual desktop of scripts/virtual-desktop.sh and the X tools that look at it."""

    def __init__(self, source, state, options):
        self.script = os.path.join(source, "scripts", "virtual-desktop.sh")
        self.state = state
        shutil.rmtree(state, ignore_errors=True)
        self.display = subprocess.run(["bash", self.script, "start", state, "--size",
                                       "%dx%d" % SIZE] + options,
                                      check=True, capture_output=True, text=True).stdout.strip()

    def stop(self):
        subprocess.run(["bash", self.script, "stop", self.state], check=False)

    def run(self, *command):
        return subprocess.run(list(command), capture_output=True, text=True,
                              env=dict(os.environ, DISPLAY=self.display))

    def move(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y))

    def glide(self, start, end, steps):
        for k in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * k // steps,
                      start[1] + (end[1] - start[1]) * k // steps)
            time.sleep(0.02)

    def click(self):
        self.run("xdotool", "click", "1")

    def button(self, down):
        self.run("xdotool", "mousedown" if down else "mouseup", "1")

    def look(self):
        return Screen(self.display)

    def windows(self, name):
        """The mapped windows of a title, each as (x, y, width, height) on the screen."""
        found = self.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % name).stdout
        places = []
        for window in found.split():
            geometry = self.run("xdotool", "getwindowgeometry", "--shell", window).stdout
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            if {"X", "Y", "WIDTH", "HEIGHT"} <= values.keys():
                places.append(tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")))
        return places


class Wine:
    """Wine for this build, with a prefix of the run's own: hard links to the build's prefix for
    the files Wine only reads, copies of the registry, which the running server rewrites."""

    def __init__(self, build, prefix):
        self.runner = os.path.join(build, "wine-run")
        shutil.rmtree(prefix, ignore_errors=True)
        subprocess.run(["cp", "-al", os.path.join(build, "wineprefix"), prefix], check=True)
        for name in os.listdir(prefix):
            if name.endswith(".reg"):
                path = os.path.join(prefix, name)
                data = open(path, "rb").read()
                os.unlink(path)
                with open(path, "wb") as f:
                    f.write(data)
        self.prefix = prefix

    def environment(self, display):
        return dict(os.environ, DISPLAY=display, KERULO_WINEPREFIX=self.prefix,
                    WINEPREFIX=self.prefix, DBUS_SESSION_BUS_ADDRESS="disabled:")

    def start(self, display, program, folder, log):
        return subprocess.Popen([self.runner, program], cwd=folder, stdout=log,
                                stderr=subprocess.STDOUT, env=self.environment(display))

    def run(self, display, *command):
        return subprocess.run([self.runner] + list(command), capture_output=True, text=True,
                              env=self.environment(display), timeout=60)

    def end(self, display):
        """Ends every program of the run's prefix, and its server."""
        subprocess.run(["wineserver", "-k"], env=self.environment(display),
                       capture_output=True, check=False)
        subprocess.run(["wineserver", "-w"], env=self.environment(display),
                       capture_output=True, check=False, timeout=30)


class Run:
    """One desktop with the program on it, and the checks, which go on after a failed one."""

    def __init__(self, args, name, options):
        self.args = args
        self.name = name
        self.failures = []
        self.desktop = Desktop(args.source, os.path.join(args.tmp, name), options)
        self.folder = os.path.join(args.tmp, "run-" + name)
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.copytree(os.path.join(args.build, "run"), self.folder)
        self.wine = Wine(args.build, os.path.join(args.tmp, "prefix-" + name))
        self.log_path = os.path.join(args.tmp, name + ".log")
        self.log = open(self.log_path, "w")
        self.program = None

    def close(self):
        if self.program:
            self.wine.end(self.desktop.display)
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.program.kill()
        self.log.close()
        self.desktop.stop()

    def check(self, what, passed, detail=""):
        print("%s %s: %s%s" % ("ok  " if passed else "FAIL", self.name, what,
                               "" if passed or not detail else " (%s)" % detail), flush=True)
        if not passed:
            self.failures.append(what)
        return passed

    def shot(self, what, screen=None):
        screen = screen or self.desktop.look()
        screen.save(os.path.join(self.args.screenshots, "wine-%s-%s.png" % (self.name, what)))
        return screen

    def start(self):
        self.desktop.move(300, 300)
        self.program = self.wine.start(self.desktop.display, "./kerulo.exe", self.folder, self.log)
        # A new prefix's first start sets Wine up for the display: give it time.
        up = wait_until(60, lambda: self.toolbar() is not None or self.program.poll() is not None)
        if not self.check("the program starts and puts up its toolbar", up and self.program.poll()
                          is None, "ended with %s" % self.program.poll()):
            raise Failure(self.name + ": the program did not start; see " + self.log_path)

    def toolbar(self):
        """The toolbar's place: the window of its size whose top is half the screen's height."""
        for place in self.desktop.windows("Kerulo"):
            if place[1] == SIZE[1] // 2 and place[3] == TOOLBAR_HEIGHT:
                return place
        return None

    def follow_image(self):
        places = self.desktop.windows("跟随2")
        return places[0] if places else None

    def bring_out_toolbar(self):
        self.desktop.move(SIZE[0] - 2, SIZE[1] // 2 + 100)
        out = wait_until(10, lambda: (self.toolbar() or (0,))[0] == SIZE[0] - TOOLBAR_WIDTH)
        return self.check("the toolbar slides out under the resting pointer", out,
                          "toolbar at %s" % (self.toolbar(),))

    def end_program(self):
        self.wine.end(self.desktop.display)
        self.program.wait(timeout=10)
        self.program = None


def desktop_checks(run):
    """Start, toolbar, follow image, tray icon and F8 on openbox with trayer."""
    d = run.desktop
    bare = d.look()
    run.start()
    top = SIZE[1] // 2
    strip = (SIZE[0] - STRIP, top, TOOLBAR_WIDTH, TOOLBAR_HEIGHT)
    run.check("the toolbar stands retracted to a strip at the right edge",
              wait_until(10, lambda: run.toolbar() == strip), "at %s" % (run.toolbar(),))

    # The follow image comes to the pointer once it moves: raw input over windows that are not
    # Wine's does not reach Wine, so the program's catch-up look may be what finds it.
    d.glide((300, 300), (500, 350), 10)
    offset = [None]

    def follows():
        place = run.follow_image()
        if not place:
            return False
        offset[0] = (500 - place[0], 350 - place[1])
        return offset[0][0] == offset[0][1] and 0 <= offset[0][0] < place[2]

    # The shipped picture is an orange ring, 96 pixels wide, around the pointer: pixels of the
    # square around the pointer differ from the bare desktop where it shows.
    def ring_pixels(screen):
        return sum(1 for x in range(450, 551, 2) for y in range(300, 401, 2)
                   if distance(screen.at(x, y), bare.at(x, y)) > 60)

    came = wait_until(10, follows)
    run.check("the follow image stands at the pointer", came,
              "the pointer is %s from its corner" % (offset[0],))
    shows, screen = settle(10, d, lambda screen: ring_pixels(screen) > 100)
    run.shot("follow-image", screen)
    run.check("the follow image's picture shows around the pointer", shows,
              "%d pixels differ from the bare desktop" % ring_pixels(screen))

    # trayer holds the icon in its panel at the top left, 200 by 32 pixels.
    tray = [(x, y) for x in range(0, 200) for y in range(0, 32)
            if distance(screen.at(x, y), bare.at(x, y)) > 40]
    run.check("the tray icon shows in trayer", len(tray) > 30,
              "%d pixels changed in the tray" % len(tray))

    if run.bring_out_toolbar():
        time.sleep(0.3)
        screen = run.shot("toolbar-out")
        # Out, the panels cover the 60 pixels left of the strip: they are no longer desktop.
        covered = sum(1 for x in range(SIZE[0] - 60, SIZE[0] - 10, 5)
                      for y in range(top + 10, top + 190, 5)
                      if distance(screen.at(x, y), bare.at(x, y)) > 30)
        run.check("the toolbar's panels show", covered > 300, "%d of 360 pixels" % covered)

    d.glide((SIZE[0] - 2, top + 100), (500, 350), 10)
    wait_until(10, follows)
    sent = run.wine.run(d.display, run.args.sendkeys, "F8")
    run.check("sendkeys presses F8 inside Wine", sent.returncode == 0, sent.stderr.strip())
    gone = wait_until(10, lambda: run.follow_image() is None)
    cleared, screen = settle(10, d, lambda screen: ring_pixels(screen) == 0)
    run.shot("f8-off", screen)
    run.check("F8 hides the follow image", gone and cleared,
              "window gone %s, %d ring pixels" % (gone, ring_pixels(screen)))
    sent = run.wine.run(d.display, run.args.sendkeys, "F8")
    back = wait_until(10, follows)
    shows, screen = settle(10, d, lambda screen: ring_pixels(screen) > 100)
    run.shot("f8-on", screen)
    run.check("F8 again brings the follow image back at the pointer",
              sent.returncode == 0 and back and shows,
              "window back %s, %d ring pixels" % (back, ring_pixels(screen)))
    run.check("the program still runs", run.program.poll() is None)
    run.end_program()


def pen_checks(run):
    """The pen's rectangle and clearing, with xcompmgr."""
    d = run.desktop
    bare = d.look()
    run.start()
    top = SIZE[1] // 2
    if not run.bring_out_toolbar():
        return
    d.move(SIZE[0] - 33, top + PEN_PANEL + 12)
    time.sleep(0.3)
    d.click()
    toolbox = wait_until(10, lambda: run.desktop.windows("Form9"))
    if not run.check("the toolbar's pen panel opens the pen's toolbox", bool(toolbox)):
        run.shot("pen-not-opened")
        return
    run.check("the toolbox stands top right", toolbox[0] == TOOLBOX, "at %s" % (toolbox[0],))

    # The pen's surface, a faint veil over the screen, makes way while the pointer rests on the
    # toolbox and comes back when it leaves sideways. Over the bare desktop Wine gets no raw
    # input, so the program's slow look at the pointer may be what brings the veil back.
    def veil_up():
        return bool(run.desktop.windows("Form8"))

    def use_tool(number):
        button = tool_button(number)
        d.glide((TOOLBOX[0] - 40, button[1]), button, 4)
        made_way = wait_until(10, lambda: not veil_up())
        d.click()
        time.sleep(0.2)
        d.glide(button, (TOOLBOX[0] - 60, button[1]), 4)
        back = wait_until(10, veil_up)
        return run.check("tool button %d: the veil makes way on the toolbox and comes back "
                         "beside it" % number, made_way and back,
                         "made way %s, back %s" % (made_way, back))

    if not run.check("the pen's veil is up", wait_until(10, veil_up)):
        return

    if not (use_tool(CLEAR_TOOL) and use_tool(RECTANGLE_TOOL)):
        return
    before = run.shot("pen-before")
    # Blended by the compositor, the veil lightens the desktop by a few steps; where Wine cannot
    # blend, it is opaque white.
    seen = [before.at(x, 700) for x in range(100, 1000, 100)]
    run.check("the veil lets the desktop show through",
              all(distance(c, bare.at(100, 700)) <= VEIL_TOLERANCE for c in seen),
              "%s over %s" % (", ".join(hexed(c) for c in seen), hexed(bare.at(100, 700))))
    a, b = (400, 250), (800, 550)
    d.move(*a)
    time.sleep(0.2)
    d.button(True)
    d.glide(a, b, 16)
    time.sleep(0.2)
    d.button(False)

    # The outline runs along a's rows and columns up to, not including, b's; the brush fills the
    # inside; the inside points lie beyond the reach of the 5-pixel pen, the outside points
    # beyond the outline's.
    def drawn(screen):
        right, bottom = b[0] - 1, b[1] - 1
        outline = [(x, y) for x in range(a[0] + 20, right - 20, 20) for y in (a[1], bottom)]
        outline += [(x, y) for y in range(a[1] + 20, bottom - 20, 20) for x in (a[0], right)]
        inside = [(x, y) for x in range(a[0] + 10, right - 10, 25)
                  for y in range(a[1] + 10, bottom - 10, 25)]
        outside = [(x, y) for x in range(a[0] - 60, right + 60, 30) for y in (a[1] - 30,
                                                                               bottom + 30)]
        wrong = [(p, screen.at(*p), RED) for p in outline if distance(screen.at(*p), RED) >
                 VEIL_TOLERANCE]
        wrong += [(p, screen.at(*p), HIGHLIGHT) for p in inside
                  if distance(screen.at(*p), HIGHLIGHT) > VEIL_TOLERANCE]
        wrong += [(p, screen.at(*p), before.at(*p)) for p in outside
                  if distance(screen.at(*p), before.at(*p)) > 2]
        return wrong

    shown, screen = settle(10, d, lambda screen: not drawn(screen))
    run.shot("pen-rectangle", screen)
    run.check("the rectangle shows where it was dragged: red outline, highlight inside", shown,
              "; ".join("%s %s instead of %s" % (p, hexed(seen), hexed(want))
                        for p, seen, want in drawn(screen)[:6]))

    if not use_tool(CLEAR_TOOL):
        return

    def left(screen):
        return [((x, y), screen.at(x, y), before.at(x, y))
                for x in range(a[0] - 20, b[0] + 20, 7) for y in range(a[1] - 20, b[1] + 20, 7)
                if distance(screen.at(x, y), before.at(x, y)) > 2]

    gone, screen = settle(10, d, lambda screen: not left(screen))
    run.shot("pen-cleared", screen)
    run.check("the clear button takes the rectangle away", gone,
              "%d pixels differ from before, e.g. %s" % (
                  len(left(screen)), "; ".join("%s %s instead of %s" % (p, hexed(s), hexed(w))
                                               for p, s, w in left(screen)[:4])))
    run.check("the program still runs", run.program.poll() is None)
    run.end_program()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--sendkeys", required=True)
    parser.add_argument("--tmp", required=True)
    args = parser.parse_args()
    for name in ("source", "build", "sendkeys", "tmp"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    args.tmp = os.path.join(args.tmp, "wine-smoke")
    args.screenshots = os.path.join(os.path.dirname(args.tmp), "screenshots")
    os.makedirs(args.tmp, exist_ok=True)
    os.makedirs(args.screenshots, exist_ok=True)

    failed = []
    for name, options, checks in (("openbox", [], desktop_checks),
                                  ("xcompmgr", ["--compositor", "xcompmgr"], pen_checks)):
        run = Run(args, name, options)
        try:
            checks(run)
        except Failure as failure:
            print("FAIL", failure, flush=True)
        finally:
            run.close()
        failed += run.failures
        if run.failures:
            print("--- the program's output on %s:" % name)
            print(open(run.log_path).read())
    print("%d checks failed" % len(failed) if failed else "every check passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
