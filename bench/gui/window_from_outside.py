#!/usr/bin/env python3
"""The desktop program as a user meets it, driven from outside through the X
server (xdotool's real pointer events, ImageMagick's import for what the screen
shows). Run under a virtual display:

    xvfb-run -a -s "-screen 0 1280x1024x24" bench/gui/window_from_outside.py \
        build/release/src/app/verdanthollow [--seconds 60]

Two measures:
  start  - the program started with bench/large_tree.vhm: seconds until its
           leaves are on screen (at any level of detail), and the peak
           resident memory once full detail has had time to arrive.
  clicks - the program started with bench/budget_tree.vhm (grown to the
           20 M-vertex budget): "Show plane" clicked every few seconds from the
           start (the warning that the tree stopped at the budget answered
           with Return when it shows); for each click, the seconds until the
           box shows its new state and until the view shows or hides the
           plane, and the peak resident memory at the end.
"""
import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.dirname(HERE)

# The "Show plane" box's indicator, from the window's top-left corner, at the
# window's first size (the panel on the left has a fixed layout).
SHOW_PLANE = (10, 286)
BOX = 12  # pixels of the indicator looked at
# A corner of the view below the horizon and beside the tree: the ground
# plane's green while it is shown, the white background without it.
PLANE_CORNER = (165, 630)


def grab(x, y, width, height):
    """The screen's pixels in the rectangle, as RGB bytes."""
    return subprocess.run(
        ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth", "8", "rgb:-"],
        check=True, capture_output=True).stdout


# A strip of the view, from the window's top-left corner, above the horizon
# and beside the splash picture of the start: the large tree's crown reaches
# into it; the default tree shown before it has bare branches there.
TREE_STRIP = (280, 200, 50, 150)


def leaf_pixels(rgb):
    """Pixels of the leaves' green (the sky is white)."""
    count = 0
    for i in range(0, len(rgb) - 2, 3):
        r, g, b = rgb[i], rgb[i + 1], rgb[i + 2]
        count += g > r + 15 and g > b + 15
    return count


def window_of(process, timeout=30.0):
    """The program's main window: (id, x, y, width, height)."""
    give_up = time.monotonic() + timeout
    while time.monotonic() < give_up and process.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Verdanthollow"],
                               capture_output=True, text=True).stdout.split()
        for window in found:
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                   capture_output=True, text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split() if "=" in line)
            if int(values.get("WIDTH", 0)) > 600:
                return window, int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])
        time.sleep(0.02)
    raise RuntimeError("the program's window did not appear")


def dismiss_messages(main_window):
    """Answers a message box (the budget's "Tree too large" warning) with
    Return, as its user would: it is modal and takes the clicks."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                           capture_output=True, text=True).stdout.split()
    dismissed = False
    for window in found:
        if window != main_window[0]:
            subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], capture_output=True)
            dismissed = True
    return dismissed


def peak_megabytes(process):
    with open(f"/proc/{process.pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def measure_start(program, settle):
    started = time.monotonic()
    process = subprocess.Popen([program, os.path.join(BENCH, "large_tree.vhm")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        _, x, y, _, _ = window_of(process)
        on_screen = None
        while time.monotonic() - started < 60:
            if leaf_pixels(grab(x + TREE_STRIP[0], y + TREE_STRIP[1], TREE_STRIP[2], TREE_STRIP[3])) > 300:
                on_screen = time.monotonic() - started
                break
            time.sleep(0.01)
        time.sleep(settle)
        return on_screen, peak_megabytes(process)
    finally:
        stop(process)


def measure_clicks(program, document, seconds, every):
    started = time.monotonic()
    process = subprocess.Popen([program, os.path.join(BENCH, document)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    answers = []
    try:
        main_window = window_of(process)
        x, y = main_window[1], main_window[2]
        bx, by = x + SHOW_PLANE[0] - BOX // 2, y + SHOW_PLANE[1] - BOX // 2
        px, py = x + PLANE_CORNER[0], y + PLANE_CORNER[1]
        next_click = time.monotonic()
        while time.monotonic() - started < seconds:
            time.sleep(max(0.0, next_click - time.monotonic()))
            next_click += every
            if dismiss_messages(main_window):
                time.sleep(0.2)
            before = grab(bx, by, BOX, BOX)
            plane_before = grab(px, py, BOX, BOX)
            clicked = time.monotonic()
            subprocess.run(["xdotool", "mousemove", str(x + SHOW_PLANE[0]), str(y + SHOW_PLANE[1]), "click", "1"],
                           check=True)
            box_answer = view_answer = None
            while time.monotonic() - clicked < every - 0.1 and (box_answer is None or view_answer is None):
                if box_answer is None and grab(bx, by, BOX, BOX) != before:
                    box_answer = time.monotonic() - clicked
                if view_answer is None and grab(px, py, BOX, BOX) != plane_before:
                    view_answer = time.monotonic() - clicked
            answers.append((clicked - started, box_answer, view_answer))
        return answers, peak_megabytes(process)
    finally:
        stop(process)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program", help="the verdanthollow executable")
    parser.add_argument("--seconds", type=float, default=60.0, help="how long the box is clicked")
    parser.add_argument("--every", type=float, default=4.0, help="seconds between clicks")
    parser.add_argument("--settle", type=float, default=10.0, help="seconds given to full detail before the peak memory is read")
    parser.add_argument("--only", choices=["start", "clicks"], help="run one measure")
    parser.add_argument("--document", default="budget_tree.vhm",
                        help="the document of the clicks, in bench/ (the test suite's short run takes large_tree.vhm)")
    options = parser.parse_args()

    if options.only in (None, "start"):
        on_screen, peak = measure_start(options.program, options.settle)
        shown = f"{on_screen:.2f} s" if on_screen is not None else "not within 60 s"
        print(f"large tree: on screen {shown} after the start; peak RSS {peak:.0f} MB")
    if options.only in (None, "clicks"):
        answers, peak = measure_clicks(options.program, options.document, options.seconds, options.every)
        def said(answer):
            return f"{answer * 1000:.0f} ms" if answer is not None else "never"

        box_within = sum(1 for _, box, _ in answers if box is not None and box <= 1.0)
        view_within = sum(1 for _, _, view in answers if view is not None and view <= 1.0)
        for at, box, view in answers:
            print(f"  click at {at:5.1f} s: box after {said(box)}, plane in the view after {said(view)}")
        print(f"{options.document}: {box_within} of {len(answers)} clicks shown by the box within 1 s, "
              f"{view_within} by the view; peak RSS {peak:.0f} MB")
        return 0 if box_within == view_within == len(answers) else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
