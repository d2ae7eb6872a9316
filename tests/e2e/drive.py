#!/usr/bin/env python3
"""The real Sumgrid window, driven as a person would, from the build tree or from the .deb.

  drive.py --exe BUILD/sumgrid                  a copy of the build tree's program
  drive.py --package BUILD_DIR --source SOURCE  the .deb that cpack makes, checked, unpacked
                                                into a fresh root and started through its link

Under Xvfb there is no window manager: keys go to the window under the pointer. One line per
check; exit status 1 if any failed. The work folder, with the logs and the last screenshot, is
kept when a check fails or SUMGRID_E2E_KEEP is set. A scenario is a function of a Session.
"""
import glob, gzip, os, re, select, shutil, struct, subprocess, sys, tempfile, time

TITLE = "Sumgrid : Quillmoor"
APP_ID = "example.sumgrid.sumgrid"
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


def book(side, cage, digit):
    """A book of one puzzle; cage(row, col) and digit(row, col) give each cell, from 0."""
    cells = [(r, c) for r in range(side) for c in range(side)]
    return (b"WOBE" + struct.pack("<ii", 1, 12) + b"PLIX" + bytes([side]) +
            bytes(cage(r, c) for r, c in cells) + bytes(digit(r, c) for r, c in cells))


def solution9(r, c):
    return (r * 3 + r // 3 + c) % 9 + 1


BOOK9 = book(9, lambda r, c: r * 5 + c // 2, solution9)  # cages of two cells along each row


class Session:
    """An Xvfb of the run's own, its screenshots read pixel by pixel, and the program started
    there as a desktop would: from another folder, with a private home, on a book of its own."""
    W = 1024

    def __init__(self, work, folder, program, path, desktop):
        self.work, self.folder, self.program, self.path, self.desktop = work, folder, program, path, desktop
        self.apps, self.pixels = [], b""
        for d in ("home", "elsewhere"):
            os.makedirs(f"{work}/{d}", mode=0o700, exist_ok=True)
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{self.W}x768x24", "-nolisten",
                                      "tcp"], pass_fds=[w], stderr=open(f"{work}/xvfb.log", "w"))
        ready = select.select([r], [], [], 30)[0]
        self.display = ":" + (os.read(r, 16).decode().strip() if ready else "none")

    def x(self, *cmd):
        return run(*cmd, env={"DISPLAY": self.display, "PATH": os.environ["PATH"]}, timeout=40).stdout

    def launch(self, book_bytes, display=True):
        with open(f"{self.folder}/puzzles/LEVEL-1.wobe", "wb") as f:
            f.write(book_bytes)
        home = f"{self.work}/home"
        env = dict(PATH=self.path, HOME=home, XDG_CONFIG_HOME=f"{home}/.config", XDG_RUNTIME_DIR=home,
                   **({"DISPLAY": self.display} if display else {}))
        log = open(f"{self.work}/app-{len(self.apps)}.log", "w")
        self.apps.append(subprocess.Popen([self.program], cwd=f"{self.work}/elsewhere", env=env, stdout=log,
                                          stderr=log))
        return self.apps[-1]

    def start(self, book_bytes):
        """The program's window as [id, x, y, width, height], or None."""
        app = self.launch(book_bytes)
        wid = self.x("timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{TITLE}$").split()
        if not check(bool(wid), f"a window named '{TITLE}' is shown"):
            return None
        check(os.readlink(f"/proc/{app.pid}/exe") == os.path.realpath(f"{self.folder}/sumgrid"),
              f"it is the program of {os.path.relpath(self.folder, self.work)}, started from another folder")
        info = self.x("xwininfo", "-id", wid[0])
        g = [int(re.search(rf"{k}:\s+(-?\d+)", info).group(1)) for k in
             ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
        self.board = (g[0], g[1] + g[3] - BOARD)  # the board fills the window below the menu bar
        return [wid[0]] + g

    def shoot(self):
        # import, not xwd: xwd shows windows mapped after the screen's first picture black.
        self.pixels = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], capture_output=True,
                                     env={"DISPLAY": self.display, "PATH": os.environ["PATH"]}, timeout=20).stdout

    def until(self, condition, tries=40):
        """Screenshots until condition holds on one; the program may be slow on a busy machine."""
        for _ in range(tries):
            self.shoot()
            if condition():
                return True
            time.sleep(0.25)
        return False

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
            process.kill()
            process.wait()
        if failures:  # the last screenshot, for a look
            subprocess.run(["convert", "-size", f"{self.W}x768", "-depth", "8", "rgb:-", f"{self.work}/last.png"],
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
    crossed = False
    for _ in range(5):  # the cross shows for half a second only: try the whole check again if missed
        s.click(326, 18)  # the toolbar's Check button
        s.shoot()
        crossed = s.cross(*wrong) > 20
        if crossed:
            break
        time.sleep(1)
    check(crossed, f"during the check's pause a red cross lies over the wrong digit in cell {wrong}")
    check(s.until(lambda: s.mark(*wrong) and not s.cross(*wrong)),
          f"after the pause the cross is gone and a small red x marks cell {wrong}")
    check(s.mark(*right) == 0 and s.in_cell(*right, BLUE) > 0, f"the right digit in cell {right} stays, unmarked")


def no_display(s):
    """Without a display the program ends rather than wait."""
    app = s.launch(BOOK9, display=False)
    try:
        app.wait(timeout=20)
    except subprocess.TimeoutExpired:
        pass
    check(app.poll() is not None, "started without a display, the program exits", f"still running after 20 s")


SCENARIOS = [play, no_display]


def package(build, source, work):
    """Makes the .deb, checks its fields, files and Debian's own verdicts, and unpacks it: the root."""
    made = run("cpack", "--config", f"{build}/CPackConfig.cmake", "-B", f"{work}/cpack", cwd=work)
    debs = glob.glob(f"{work}/cpack/*.deb")
    if not check(len(debs) == 1, "cpack makes one .deb", made.stdout + made.stderr):
        return None
    deb, root = debs[0], f"{work}/root"
    version = re.search(r"project\(sumgrid VERSION ([\d.]+)", open(f"{source}/CMakeLists.txt").read()).group(1)
    fields = dict(re.findall(r"^(\S+): (.*)$", run("dpkg-deb", "-f", deb).stdout, re.M))
    want = {"Package": "sumgrid", "Version": version, "Section": "games",
            "Architecture": run("dpkg", "--print-architecture").stdout.strip()}
    check(all(fields.get(k) == v for k, v in want.items()), f"the control fields are {want}", str(fields))
    check(re.fullmatch(r"[^<>]+ <[^@ ]+@[^@ ]+\.[a-z]+>", fields.get("Maintainer", "")) is not None,
          "the maintainer has a name and a mail address", fields.get("Maintainer", ""))
    # Each dependency names a package installed here, and the X platform plugin's is among them.
    groups = [re.findall(r"([\w.+-]+)(?:\s*\([^)]*\))?", g) for g in fields.get("Depends", "").split(",")]
    owner = run("dpkg", "-S", "*/platforms/libqxcb.so").stdout.split(":")[0]
    installed = lambda p: "install ok installed" in run("dpkg-query", "-W", "-f=${Status}", p).stdout
    check(all(any(map(installed, g)) for g in groups) and [owner] in groups,
          f"every dependency is met here, {owner} (the xcb plugin) among them", fields.get("Depends", ""))
    for tool in (["lintian", "--fail-on", "error,warning", deb], ["dpkg-deb", "-x", deb, root]):
        out = run(*tool)
        check(out.returncode == 0, f"{' '.join(tool[:-1])} {os.path.basename(deb)} runs clean", out.stdout + out.stderr)
    usr, doc = f"{root}/usr", f"{root}/usr/share/doc/sumgrid"
    same = lambda a, b: open(a, "rb").read() == open(b, "rb").read()
    check(all(same(f"{usr}/lib/sumgrid/{f}", f"{source}/{f}") for f in ["help.txt"] +
              [f"puzzles/LEVEL-{n}.wobe" for n in range(1, 5)]), "the books and help are those of the sources")
    check(os.readlink(f"{usr}/games/sumgrid") == "../lib/sumgrid/sumgrid", "usr/games/sumgrid links to the program")
    check(run(f"{usr}/games/sumgrid-book", "--version").stdout == f"sumgrid-book {version}\n",
          f"usr/games/sumgrid-book says it is version {version}")
    check(gzip.open(f"{doc}/changelog.gz", "rt").readline().startswith(f"sumgrid ({version})") and
          f'<release version="{version}"' in open(f"{usr}/share/metainfo/{APP_ID}.metainfo.xml").read(),
          f"the changelog and the metainfo have an entry for {version}")
    check("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" in open(f"{doc}/copyright").read(),
          "the copyright file is machine-readable")
    verdicts = [["appstreamcli", "validate", "--no-net", f"{usr}/share/metainfo/{APP_ID}.metainfo.xml"],
                ["desktop-file-validate", f"{usr}/share/applications/{APP_ID}.desktop"]] + \
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
        os.makedirs(f"{work}/prog/puzzles")
        shutil.copy(args["--exe"], f"{work}/prog/sumgrid")
        session = Session(work, f"{work}/prog", f"{work}/prog/sumgrid", os.environ["PATH"],
                          os.path.join(os.path.dirname(__file__), f"../../packaging/{APP_ID}.desktop"))
    try:
        for scenario in SCENARIOS if session else []:
            print(f"--- {scenario.__doc__}", flush=True)
            scenario(session)
    finally:
        if session:
            session.stop()
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
