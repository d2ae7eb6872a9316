#!/usr/bin/env python3
"""The real Sumgrid window, driven as a person would: `drive.py --exe BUILD/sumgrid --source SOURCE` runs a copy of
the build tree's program; `drive.py --package OUT --source SOURCE` builds the .deb in OUT, checks it, installs it
in a fresh root, starts it through its link and removes it. Under Xvfb there is no window manager: keys go to the
window under the pointer. One line per check; exit status 1 if any failed. The work folder, with the logs and the
last screenshot, is kept when a check fails or SUMGRID_E2E_KEEP is set. A scenario is a function of a Session.
"""
import glob, gzip, os, re, select, shutil, struct, subprocess, sys, tempfile, time

TITLE = "Sumgrid : Quillmoor"
APP_ID = "example.sumgrid.sumgrid"
DPKG = ["dpkg", "--instdir=root", "--admindir=dpkg", "--log=dpkg.log", "--force-not-root", "--force-depends"]  # in work/
CELL, BOARD = 46, 506  # at side 9 the board is (9 + 2) cells of 46 pixels
BLUE, RED, LABEL, FRAME = b"\x14\x14\xf0", b"\xc8\x14\x14", b"\x28\x28\x28", b"\x19\x19\x19"
failures = []


def check(ok, what, detail=""):
    print(("PASS: " if ok else "FAIL: ") + what + ("" if ok or not detail else "\n  " + detail), flush=True)
    if not ok:
        failures.append(what)
    return ok


def run(*cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def wait(condition, tries=40):
    """Asks until condition holds; the program may be slow on a busy machine."""
    for _ in range(tries):
        if condition():
            return True
        time.sleep(0.25)
    return False


def solution9(r, c):
    return (r * 3 + r // 3 + c) % 9 + 1


# A book of one 9 x 9 puzzle: cages of two cells along each row.
BOOK9 = (b"WOBE" + struct.pack("<ii", 1, 12) + b"PLIX" + bytes([9]) + bytes(r * 5 + c // 2 for r in range(9) for c in range(9)) +
         bytes(solution9(r, c) for r in range(9) for c in range(9)))


class Session:
    """An Xvfb of the run's own, its screenshots read pixel by pixel, and the program started
    there as a desktop would: from another folder, with a private home, on a book of its own,
    with an xdg-open that notes what it is asked to open and where it was started."""
    W, H = 1280, 1024

    def __init__(self, work, folder, program, path, desktop):
        self.work, self.folder, self.program, self.desktop = work, folder, program, desktop
        self.path = f"{work}/desktop:{path}"
        self.apps, self.pixels = [], b""
        for d in ("home", "elsewhere", "desktop"):
            os.makedirs(f"{work}/{d}", mode=0o700, exist_ok=True)
        with open(os.open(f"{work}/desktop/xdg-open", os.O_WRONLY | os.O_CREAT, 0o755), "w") as f:
            f.write('#!/bin/sh\nprintf "%s\\n%s\\n" "$(pwd -P)" "$1" >> "$0.log"\n')
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{self.W}x{self.H}x24", "-nolisten",
                                      "tcp"], pass_fds=[w], stderr=open(f"{work}/xvfb.log", "w"))
        ready = select.select([r], [], [], 30)[0]
        self.display = ":" + (os.read(r, 16).decode().strip() if ready else "none")

    def x(self, *cmd):
        return run(*cmd, env={"DISPLAY": self.display, "PATH": os.environ["PATH"]}, timeout=40).stdout

    def launch(self, book_bytes, display=True, program=None, cwd=None):
        for app in self.apps:  # one program at a time, so that what is found and clicked is its window
            app.kill() or app.wait()
        if book_bytes:
            with open(f"{self.folder}/puzzles/LEVEL-1.wobe", "wb") as f:
                f.write(book_bytes)
        home = f"{self.work}/home"
        env = dict(PATH=self.path, HOME=home, XDG_CONFIG_HOME=f"{home}/.config", XDG_RUNTIME_DIR=home,
                   **({"DISPLAY": self.display} if display else {}))
        log = open(f"{self.work}/app-{len(self.apps)}.log", "w")
        self.apps.append(subprocess.Popen([program or self.program], cwd=cwd or f"{self.work}/elsewhere", env=env,
                                          stdout=log, stderr=log))
        return self.apps[-1]

    def start(self, book_bytes, **launch):
        """The program's window as [id, x, y, width, height], or None."""
        app = self.launch(book_bytes, **launch)
        wid = self.x("timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{TITLE}$").split()
        if not check(bool(wid), f"a window named '{TITLE}' is shown"):
            return None
        if not launch:
            check(os.readlink(f"/proc/{app.pid}/exe") == os.path.realpath(f"{self.folder}/sumgrid"),
                  f"it is the program of {os.path.relpath(self.folder, self.work)}, started from another folder")
        return self.window(wid[0])

    def window(self, wid):
        info = self.x("xwininfo", "-id", wid)
        g = [int(re.search(rf"{k}:\s+(-?\d+)", info).group(1)) for k in
             ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
        self.board = (g[0], g[1] + 19)  # the board fills the window below the menu bar
        return [wid] + g

    def menu(self, x, item):
        """Chooses the item-th entry (from 0) of the menu whose title lies at x on the menu bar."""
        self.x("xdotool", "mousemove", "--sync", str(self.board[0] + x), str(self.board[1] - 10), "click", "1")
        time.sleep(0.5)
        self.x("xdotool", "mousemove", "--sync", str(self.board[0] + x + 40), str(self.board[1] + 11 + 23 * item),
               "click", "1")

    def opened(self):
        """What xdg-open was asked for: (folder it was started in, document) pairs."""
        log = f"{self.work}/desktop/xdg-open.log"
        lines = open(log, "rb").read().split(b"\n") if os.path.exists(log) else []
        return list(zip(lines[0::2], lines[1::2]))

    def shoot(self):
        # import, not xwd: xwd shows windows mapped after the screen's first picture black.
        self.pixels = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], capture_output=True,
                                     env={"DISPLAY": self.display, "PATH": os.environ["PATH"]}, timeout=20).stdout

    def until(self, condition):
        """Screenshots until condition holds on one."""
        return wait(lambda: self.shoot() or condition())

    def count(self, x0, y0, x1, y1, rgb):
        """Pixels of colour rgb in the rectangle x0..x1, y0..y1 of the board, on the last screenshot."""
        n = 0
        for y in range(self.board[1] + y0, self.board[1] + y1 + 1):
            row = self.pixels[(y * self.W + self.board[0] + x0) * 3:(y * self.W + self.board[0] + x1 + 1) * 3]
            n += sum(row[i:i + 3] == rgb for i in range(0, len(row), 3))
        return n

    def in_cell(self, col, row, rgb, left=3, top=3, right=42, bottom=42):
        return self.count(col * CELL + left, row * CELL + top, col * CELL + right, row * CELL + bottom, rgb)

    def mark(self, col, row):  # the small red "x" in the cell's top-right corner
        return self.in_cell(col, row, RED, 32, 0, 45, 13)

    def cross(self, col, row):  # the red cross over the cell, below the corner
        return self.in_cell(col, row, RED, 4, 14, 42, 42)

    def click(self, bx, by):
        self.x("xdotool", "mousemove", "--sync", str(self.board[0] + bx), str(self.board[1] + by), "click", "1")

    def stop(self):
        for process in self.apps + [self.xvfb]:
            process.kill() or process.wait()
        if failures:  # the last screenshot, for a look
            subprocess.run(["convert", "-size", f"{self.W}x{self.H}", "-depth", "8", "rgb:-", f"{self.work}/last.png"],
                           input=self.pixels)


def play(s):
    """A wrong digit is crossed out while the check pauses, then marked; a right one is not."""
    window = s.start(BOOK9)
    if not window:
        return
    check(window[3:] == [BOARD, BOARD + 19], f"the window's client area is {BOARD} x {BOARD + 19} at side 9",
          f"it is {window[3]} x {window[4]}")
    wm_class = s.x("xprop", "-id", window[0], "WM_CLASS")
    with open(s.desktop) as f:
        startup_class = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M).group(1)
    check(wm_class.rstrip().endswith(f'"{startup_class}"'), f"the window's class names the desktop entry "
          f"{os.path.basename(s.desktop)} (StartupWMClass={startup_class})", wm_class)
    frame = lambda: s.count(0, 253, 0, 253, FRAME) and s.in_cell(1, 1, LABEL, 0, 0, 17, 17)
    if not check(s.until(frame), "the board is drawn with its frame and the first cage's sum"):
        return
    wrong, right = (3, 4), (6, 7)
    for (col, row), digit in ((wrong, solution9(3, 2) % 9 + 1), (right, solution9(6, 5))):
        s.click(col * CELL + 23, row * CELL + 23)
        s.x("xdotool", "key", str(digit))
        check(s.until(lambda: s.in_cell(col, row, BLUE)), f"the digit {digit} typed in cell {col},{row} shows in blue")
    # The cross shows for half a second only: the whole check again if missed. Check is the toolbar's last button.
    crossed = wait(lambda: s.click(326, 18) or s.shoot() or s.cross(*wrong) > 20 or time.sleep(0.75), 5)
    check(crossed, f"during the check's pause a red cross lies over the wrong digit in cell {wrong}")
    check(s.until(lambda: s.mark(*wrong) and not s.cross(*wrong)),
          f"after the pause the cross is gone and a small red x marks cell {wrong}")
    check(s.mark(*right) == 0 and s.in_cell(*right, BLUE) > 0, f"the right digit in cell {right} stays, unmarked")


def plant(s, folders):
    """The program, its help and a book, in a new folder reached from the work folder through folders, made one by
    one: the whole path may be longer than the system takes."""
    os.chdir(s.work)
    for name in folders:
        os.mkdir(name)
        os.chdir(name)
    os.mkdir("puzzles")
    for name in ("sumgrid", "help.txt"):
        shutil.copy(f"{s.folder}/{name}", name)
    with open("puzzles/LEVEL-1.wobe", "wb") as f:
        f.write(BOOK9)
    os.chdir(s.work)


def folders(s):
    """The program finds its books and help beside it: its own LEVEL-1 book in its own folder, then a book in a
    folder named in Latin-1 and in one deeper than the system's longest name."""
    latin1, half = f"{s.work}/caf".encode() + b"\xe9 sumgrid", "/".join(["d" * 100] * 22)
    plant(s, [latin1])
    plant(s, ["d" * 100] * 44)  # 44 folders of 100 letters: past 4,096 bytes, the longest name the system takes
    for folder, launch in ((s.folder.encode(), {}), (latin1, dict(program=latin1 + b"/sumgrid")),
                           (f"{s.work}/{half}/{half}".encode(), dict(cwd=f"{s.work}/{half}", program=f"./{half}/sumgrid"))):
        window = s.start(None, **launch)
        if not window:
            continue
        check(s.until(lambda: s.in_cell(1, 1, LABEL, 0, 0, 17, 17)), "its book is read and the puzzle drawn")
        s.menu(133, 0)  # Help > Help
        wait(lambda: len(s.opened()) == len(s.apps))
        where, document = (s.opened() or [(b"", b"")])[-1]
        check(where == folder and document in (folder + b"/help.txt", b"help.txt"),
              "Help opens help.txt, with the program's folder as the working folder", repr((where[-40:], document[-40:])))
        s.apps[-1].kill()


def no_display(s):
    """Without a display the program says so in one line and ends with status 1."""
    app = s.launch(BOOK9, display=False)
    wait(lambda: app.poll() is not None, 80)
    said = open(f"{s.work}/app-{len(s.apps) - 1}.log").read()
    check(app.poll() == 1 and said.count("\n") == 1 and "no display" in said,
          "started without a display, the program says so in one line and ends with status 1", repr(said))


SCENARIOS = [folders, play, no_display]


def package(dist, source, work):
    """Builds the .deb, checks its fields, files and Debian's own verdicts, and installs it in a fresh root: the root."""
    made = run("sh", f"{source}/scripts/build-deb.sh", dist)
    debs = {os.path.basename(d).split("_")[0]: d for d in glob.glob(f"{dist}/sumgrid*_*.deb")}
    if not check(made.returncode == 0 and sorted(debs) == ["sumgrid", "sumgrid-dbgsym"], "dpkg-buildpackage makes "
                 "sumgrid and sumgrid-dbgsym; lintian -EIL +pedantic finds nothing", made.stdout[-4000:] + made.stderr):
        return None
    deb, root = debs["sumgrid"], f"{work}/root"
    os.makedirs(f"{work}/dpkg/updates")
    os.mkdir(root)
    version = re.search(r"project\(sumgrid VERSION ([\d.]+)", open(f"{source}/CMakeLists.txt").read()).group(1)
    fields = dict(re.findall(r"^(\S+): (.*)$", run("dpkg-deb", "-f", deb).stdout, re.M))
    want = {"Package": "sumgrid", "Version": version, "Section": "games", "Recommends": "xdg-utils",
            "Architecture": run("dpkg", "--print-architecture").stdout.strip()}
    check(all(fields.get(k) == v for k, v in want.items()), f"the control fields are {want}", str(fields))
    out = run(*DPKG, "-i", deb, cwd=work)
    check(out.returncode == 0, f"dpkg installs {os.path.basename(deb)} in a fresh root", out.stdout + out.stderr)
    usr, doc = f"{root}/usr", f"{root}/usr/share/doc/sumgrid"
    same = lambda a, b: open(a, "rb").read() == open(b, "rb").read()
    books = sorted(os.path.relpath(f, source) for f in glob.glob(f"{source}/puzzles/*.wobe"))
    for folder in (f"{usr}/share/games/sumgrid", f"{usr}/lib/sumgrid"):  # the second through its links
        check(books and sorted(os.path.relpath(f, folder) for f in glob.glob(f"{folder}/puzzles/*")) == books and
              all(same(f"{folder}/{f}", f"{source}/{f}") for f in ["help.txt"] + books),
              f"the books and help in {os.path.relpath(folder, root)} are those of the sources")
    check(run(f"{usr}/games/sumgrid-book", "--version").stdout == f"sumgrid-book {version}\n",
          f"usr/games/sumgrid-book says it is version {version}")
    check(gzip.open(f"{doc}/changelog.gz", "rt").readline().startswith(f"sumgrid ({version})") and
          f'<release version="{version}"' in open(f"{usr}/share/metainfo/{APP_ID}.metainfo.xml").read(),
          f"the changelog and the metainfo have an entry for {version}")
    check("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" in open(f"{doc}/copyright").read(),
          "the copyright file is machine-readable")
    verdicts = [["appstreamcli", "validate", "--no-net", f"{usr}/share/metainfo/{APP_ID}.metainfo.xml"],
                ["desktop-file-validate", f"{usr}/share/applications/{APP_ID}.desktop"],
                ["rsvg-convert", "-o", f"{work}/icon.png", f"{usr}/share/icons/hicolor/scalable/apps/sumgrid.svg"]] + \
               [["man", "--warnings", "-l", "-Tutf8", "-Z", page] for page in glob.glob(f"{usr}/share/man/man6/*.6.gz")]
    for tool in verdicts:
        out = run(*tool, env=dict(os.environ, LC_ALL="C.UTF-8"))
        noise = out.stderr + (out.stdout if tool[0] == "desktop-file-validate" else "")
        check(out.returncode == 0 and not noise.strip(), f"{tool[0]} {os.path.relpath(tool[-1], root)} runs clean",
              out.stdout + out.stderr)
    return root


def main():
    args = {k: os.path.abspath(v) for k, v in zip(sys.argv[1::2], sys.argv[2::2])}
    work = tempfile.mkdtemp(prefix="sumgrid-e2e.")
    if "--package" in args:
        root = package(args["--package"], args["--source"], work)
        session = root and Session(work, f"{root}/usr/lib/sumgrid", "sumgrid", f"{root}/usr/games:" +
                                   os.environ["PATH"], f"{root}/usr/share/applications/{APP_ID}.desktop")
    else:
        shutil.copytree(f"{args['--source']}/puzzles", f"{work}/prog/puzzles")
        shutil.copy(args["--exe"], f"{work}/prog/sumgrid")
        shutil.copy(f"{args['--source']}/help.txt", f"{work}/prog/help.txt")
        session = Session(work, f"{work}/prog", f"{work}/prog/sumgrid", os.environ["PATH"],
                          f"{args['--source']}/packaging/{APP_ID}.desktop")
    try:
        for scenario in SCENARIOS if session else []:
            print(f"--- {scenario.__doc__}", flush=True)
            scenario(session)
    finally:
        if session:
            session.stop()
    if "--package" in args and session:
        out = run(*DPKG, "--remove", "sumgrid", cwd=work)
        check(not out.returncode and not os.listdir(root), "removed, it leaves nothing", out.stderr + str(os.listdir(root)))
    for log in sorted(glob.glob(f"{work}/app-*.log")):
        check(not re.search(r"ERROR: \w+Sanitizer|runtime error:", open(log).read()), f"{log}: no sanitizer report")
    print(f"{len(failures)} failed")
    if failures or os.environ.get("SUMGRID_E2E_KEEP"):
        print(f"kept: {work}")
    else:
        shutil.rmtree(work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
