#!/usr/bin/env python3
"""Where to click on a page, from what the page itself last reported (see page_rects.js).

  page_rects.py point STDERR PAGE SELECTOR ORIGIN_X ORIGIN_Y [AT]
      -> "x y" in the game window: the element's point AT (centre, left or right end, on its
         middle row) plus the page's origin in the game window; nothing, and status 1, while the
         page has not reported the element (not built yet, or laid out to nothing)
  page_rects.py box STDERR PAGE SELECTOR ORIGIN_X ORIGIN_Y
      -> "left,top,right,bottom" of the element in the game window, as point answers
  page_rects.py where STDERR PAGE SELECTOR
      -> "above", "below" or "in" the page's shown part (partly out counts as out), or "none"
         while the page has not reported the element
"""
import json
import sys

MARK = "kiv-e2e-rects "


def last_report(stderr_path, page):
    found = None
    with open(stderr_path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            at = line.find(MARK)
            if at < 0:
                continue
            try:
                report = json.loads(line[at + len(MARK):])
            except ValueError:
                continue
            if report.get("page") == page:
                found = report
    return found


def main(argv):
    what, stderr_path, page, selector = argv[1:5]
    report = last_report(stderr_path, page)
    rect = report["rects"].get(selector) if report else None
    if what == "where":
        if rect is None:
            print("none")
        elif rect[1] < 0:
            print("above")
        elif rect[1] + rect[3] > report["view"][1]:
            print("below")
        else:
            print("in")
        return 0
    if rect is None:
        return 1
    left, top, width, height = rect
    x0, y0 = int(argv[5]), int(argv[6])
    if what == "box":
        print(f"{x0 + left},{y0 + top},{x0 + left + width - 1},{y0 + top + height - 1}")
        return 0
    at = argv[7] if len(argv) > 7 else "centre"
    x = {"left": left + 2, "right": left + width - 3}.get(at, left + width // 2)
    print(x0 + x, y0 + top + height // 2)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
