"""What the suite runs in: the builds, its own X display, its own Wine
prefix with one Wine server, the simulated device behind the serial tap,
and the cleanup of every process it started."""

import os
import shlex
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path


class EnvironmentError_(Exception):
    pass


def _run(command, log, **kwargs):
    with open(log, "ab") as out:
        return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, **kwargs)


def _tail(path, lines=40):
    try:
        return "\n".join(Path(path).read_text(errors="replace").splitlines()[-lines:])
    except OSError:
        return ""


class Builds:
    def __init__(self, root, native, mingw, out):
        self.root, self.native, self.mingw, self.out = root, native, mingw, out

    def build(self):
        print(f"run-e2e: building (native: {self.native}, MinGW-w64: {self.mingw})", flush=True)
        log = self.out / "build-native.log"
        if not (self.native / "build.ninja").exists():
            self._step(["cmake", "-S", self.root, "-B", self.native, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release"], log)
        self._step(["ninja", "-C", self.native, "-j2", "vqx460-sim", "vqx460ctl"], log)
        log = self.out / "build-mingw.log"
        if not (self.mingw / "build.ninja").exists():
            self._step(["cmake", "-S", self.root, "-B", self.mingw, "-G", "Ninja",
                        f"-DCMAKE_TOOLCHAIN_FILE={self.root}/cmake/toolchain-mingw64.cmake",
                        "-DCMAKE_BUILD_TYPE=Release"], log)
        self._step(["ninja", "-C", self.mingw, "-j2", "vqx460", "vqx460-driver"], log)

    def _step(self, command, log):
        if _run([str(c) for c in command], log).returncode != 0:
            raise EnvironmentError_(f"building failed:\n{_tail(log)}")

    def build_tap(self):
        """The serial tap is one small file, built with the native compiler."""
        tap = self.tap
        source = self.root / "tests/e2e/pty_tap.cpp"
        if not tap.exists() or source.stat().st_mtime > tap.stat().st_mtime:
            tap.parent.mkdir(parents=True, exist_ok=True)
            result = subprocess.run(["c++", "-std=c++20", "-O2", "-Wall", "-Wextra",
                                     "-Werror", "-o", str(tap), str(source)])
            if result.returncode != 0:
                raise EnvironmentError_("building the serial tap failed")

    @property
    def tap(self):
        return self.native / "e2e/pty-tap"

    @property
    def exe(self):
        return self.mingw / "win32/vqx460.exe"

    @property
    def driver(self):
        return self.mingw / "tests/e2e/driver/vqx460-driver.exe"

    @property
    def sim(self):
        for candidate in ("posix/vqx460-sim", "posix/sim/vqx460-sim"):
            if (self.native / candidate).exists():
                return self.native / candidate
        return self.native / "posix/vqx460-sim"

    @property
    def ctl(self):
        return self.sim.parent / "vqx460ctl"

    def missing(self):
        return [p for p in (self.exe, self.driver, self.sim, self.ctl, self.tap)
                if not os.access(p, os.X_OK)]


class Environment:
    """Owns every process the suite starts; `close()` ends them all."""

    def __init__(self, root, out, prefix, builds, keep):
        self.root = root
        self.out = out
        self.prefix = Path(prefix)
        self.builds = builds
        self.keep = keep
        self.work = Path(tempfile.mkdtemp(prefix="vqx-e2e."))
        self.env = dict(os.environ)
        self.display = None
        self._xvfb = None
        self._server_started = False
        self.sim = None
        self.tap = None
        self.sim_name = None
        self.programs = []  # every Wine process started: the program, wineboot

    # --- Wine ----------------------------------------------------------------

    def wine_env_command(self, *arguments):
        """scripts/wine-env on the suite's prefix."""
        result = _run([str(self.root / "scripts/wine-env"), "--prefix", str(self.prefix),
                       *arguments], self.out / "wine-env.log", env=self.env)
        if result.returncode != 0:
            raise EnvironmentError_(f"scripts/wine-env {' '.join(arguments)} failed")

    def _wine_variables(self):
        text = subprocess.run([str(self.root / "scripts/wine-env"), "--prefix",
                               str(self.prefix), "env"], capture_output=True,
                              text=True, check=True).stdout
        for line in text.splitlines():
            words = shlex.split(line)
            if len(words) == 2 and words[0] == "export" and "=" in words[1]:
                name, value = words[1].split("=", 1)
                self.env[name] = value

    def wineserver(self, *arguments, timeout=60):
        try:
            subprocess.run(["wineserver", *arguments], env=self.env, timeout=timeout,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass

    def winepath(self, path):
        return subprocess.run(["winepath", "-w", str(path)], env=self.env,
                              capture_output=True, text=True).stdout.strip()

    def start(self):
        self.out.mkdir(parents=True, exist_ok=True)
        self.env["VQX_WINEPREFIX"] = str(self.prefix)
        self._wine_variables()
        self.wineserver("-k")  # leftovers of an earlier, killed run

        # Our own X display, whatever DISPLAY says: the suite must not put
        # windows on a desktop someone works at.
        read_end, write_end = os.pipe()
        with open(self.out / "xvfb.log", "wb") as log:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"], stdout=log, stderr=log, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise EnvironmentError_("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        self.env.pop("WAYLAND_DISPLAY", None)

        self.wine_env_command("init")
        # Wine draws the title bars and frames itself inside one desktop
        # window, so the screenshots show what a user sees even without a
        # window manager.
        user_reg = self.prefix / "user.reg"
        if '"Default"="1024x768"' not in user_reg.read_text(errors="replace"):
            self.wine_env_command("desktop", "1024x768")
            self.wineserver("-w")
        for folder in self.prefix.glob("drive_c/users/*/AppData/Roaming/VQX-460"):
            shutil.rmtree(folder, ignore_errors=True)
        # COM1 is the only port until a phase maps another. A prefix an
        # earlier, interrupted run left may still map COM12; a server knows
        # its ports from its start, so that server must end before the run's
        # own one starts.
        system_reg = (self.prefix / "system.reg").read_text(errors="replace")
        if (self.prefix / "dosdevices/com12").is_symlink() or '\n"COM12"=' in system_reg:
            self.wine_env_command("unmap-port", "12")
            self.wineserver("-w")
        self.wineserver("-p")  # one server for the whole run
        self._server_started = True
        self.wine_env_command("com1", str(self.work / "com1"))

    # --- The simulated device behind the serial tap --------------------------

    def start_device(self, name, *options):
        """A device on a new pseudo-terminal and the tap in front of it at
        work/com1, which the prefix's COM1 points at. Returns (raw bytes
        file, device log)."""
        self.stop_device()
        self.sim_name = name
        sim_log = self.out / f"sim-{name}.log"
        raw = self.work / f"raw-{name}.bin"
        raw.write_bytes(b"")
        ready = self.work / f"sim-{name}.out"
        ready.unlink(missing_ok=True)
        with open(ready, "wb") as out, open(self.out / f"sim-{name}-stderr.log", "ab") as err:
            self.sim = subprocess.Popen(
                [str(self.builds.sim), "--link", str(self.work / "sim-tty"), "--log",
                 str(sim_log), *options], stdout=out, stderr=err)
        self._wait_for_line(ready)
        ready = self.work / f"tap-{name}.out"
        with open(ready, "wb") as out, open(self.out / "tap-stderr.log", "ab") as err:
            self.tap = subprocess.Popen(
                [str(self.builds.tap), str(self.work / "com1"), str(self.work / "sim-tty"),
                 str(raw)], stdout=out, stderr=err)
        self._wait_for_line(ready)
        return raw, sim_log

    def _wait_for_line(self, path):
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            if path.exists() and path.stat().st_size > 0:
                return
            time.sleep(0.05)
        raise EnvironmentError_(f"nothing on {path}")

    def signal_device(self, number):
        if self.sim and self.sim.poll() is None:
            self.sim.send_signal(number)

    def stop_device(self):
        for process in (self.tap, self.sim):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.tap = self.sim = None

    # --- The program ---------------------------------------------------------

    def start_program(self, log_name):
        log = open(self.out / f"program-{log_name}.log", "ab")
        process = subprocess.Popen(["wine", str(self.builds.exe)], cwd=self.work,
                                   stdout=log, stderr=subprocess.STDOUT, env=self.env)
        log.close()
        self.programs.append(process)
        return process

    def end_session(self, log_name):
        """`wineboot --end-session` in the suite's prefix: what a logoff does
        to every program. In the background, its output to a file: a pipe
        would be inherited by the Wine helpers it may start."""
        log = open(self.out / f"wineboot-{log_name}.log", "ab")
        process = subprocess.Popen(["wineboot", "--end-session"], cwd=self.work,
                                   stdout=log, stderr=subprocess.STDOUT, env=self.env)
        log.close()
        self.programs.append(process)
        return process

    # --- Screenshots ---------------------------------------------------------

    def screenshot(self, path, crop=None):
        command = ["import", "-display", self.display, "-window", "root"]
        if crop:
            x, y, w, h = crop
            command += ["-crop", f"{w}x{h}+{max(x, 0)}+{max(y, 0)}", "+repage"]
        with open(self.out / "screenshots.log", "ab") as log:
            return subprocess.run(command + [str(path)], stdout=log, stderr=log).returncode == 0

    # --- Cleanup ---------------------------------------------------------------

    def close(self, driver=None):
        if driver:
            driver.close()
        for process in self.programs:
            if process.poll() is None:
                process.terminate()
        if self._server_started or self.programs:
            self.wineserver("-k", timeout=20)
        for process in self.programs:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        self.stop_device()
        if self._xvfb and self._xvfb.poll() is None:
            self._xvfb.terminate()
            self._xvfb.wait()
        if self.keep:
            print(f"run-e2e: scratch folder kept: {self.work}")
        else:
            shutil.rmtree(self.work, ignore_errors=True)


def ignore_signals():
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, signal.SIG_IGN)
