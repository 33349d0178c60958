"""Shared pieces of the qel tests: pseudo-terminal peers playing the serial
instrument, pam-sim on a pseudo-terminal, the stand-in GPIB library's test
side, and a clean module state."""
import ctypes
import os
import select
import subprocess
import sys
import termios
import tty

import pytest
import qel


class Peer:
    """The instrument end of a pseudo-terminal whose other end is COMn."""

    def __init__(self, name):
        self.name = name
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        os.environ["QEL_PORT_" + name] = self.path

    def send(self, data):
        os.write(self.master, data)

    def recv(self, timeout=0.3):
        """Everything the module wrote, waiting until timeout passes quietly."""
        out = b""
        while select.select([self.master], [], [], timeout)[0]:
            chunk = os.read(self.master, 65536)
            if not chunk:
                break
            out += chunk
        return out

    def termios(self):
        return termios.tcgetattr(self.slave)

    def hang_up(self):
        if self.master >= 0:
            os.close(self.master)
            self.master = -1

    def close(self):
        self.hang_up()
        os.close(self.slave)
        os.environ.pop("QEL_PORT_" + self.name, None)


@pytest.fixture(autouse=True)
def clean_module():
    qel.Debug(0)
    for h in range(64):
        qel.Close(h)
    qel.Debug(1)
    qel.GetError()
    yield
    qel.Debug(0)
    for h in range(64):
        qel.Close(h)
    qel.Debug(1)


@pytest.fixture
def peer():
    p = Peer("COM1")
    yield p
    qel.Debug(0)
    for h in range(64):
        qel.Close(h)
    p.close()


@pytest.fixture
def com1(peer, capsys):
    """COM1 opened with LF as end-of-string and a short time-out."""
    h = qel.Open("COM1", "baud=9600 eos=lf proto=none")
    assert h >= 0
    qel.SetTimeout(h, 150)
    capsys.readouterr()
    return h


class PamSim:
    """A pam-sim process serving one simulated analyser on a pseudo-terminal
    that COMn is mapped to."""

    def __init__(self, name, *options):
        program = os.environ.get("QEL_PAM_SIM")
        if not program:
            pytest.fail("QEL_PAM_SIM must name the pam-sim program")
        self.name = name
        self.proc = subprocess.Popen([program, "--pty", *options], stdout=subprocess.PIPE,
                                     stdin=subprocess.DEVNULL)
        if not select.select([self.proc.stdout], [], [], 10)[0]:
            self.proc.kill()
            pytest.fail("pam-sim printed no slave path")
        self.path = self.proc.stdout.readline().decode().strip()
        if not self.path.startswith("/dev/"):
            self.stop()
            pytest.fail("pam-sim printed %r" % self.path)
        os.environ["QEL_PORT_" + name] = self.path

    def stop(self):
        os.environ.pop("QEL_PORT_" + self.name, None)
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()


@pytest.fixture
def pam_sim():
    sim = PamSim("COM1")
    yield sim
    qel.Debug(0)
    for h in range(64):
        qel.Close(h)
    qel.Debug(1)
    sim.stop()


class Bus:
    """Test side of the stand-in GPIB library loaded by the module; its
    instruments are made afresh, of the kind QEL_STANDIN_INSTRUMENT names."""

    def __init__(self, instrument):
        path = os.environ.get("QEL_GPIB_LIBRARY")
        if not path:
            pytest.fail("QEL_GPIB_LIBRARY must name the stand-in GPIB library")
        os.environ["QEL_STANDIN_INSTRUMENT"] = instrument
        self.lib = ctypes.CDLL(path)
        self.lib.standin_describe.argtypes = [ctypes.c_int, ctypes.c_int, ctypes.c_char_p,
                                              ctypes.c_int]
        self.lib.standin_reset()

    def state(self, pad=5):
        buf = ctypes.create_string_buffer(256)
        assert self.lib.standin_describe(0, pad, buf, 256) > 0
        return dict(item.split("=", 1) for item in buf.value.decode().split())


def _bus(instrument):
    b = Bus(instrument)
    yield b
    qel.Debug(0)
    for h in range(64):
        qel.Close(h)
    qel.Debug(1)
    b.lib.standin_reset()
    os.environ.pop("QEL_STANDIN_INSTRUMENT", None)


@pytest.fixture
def bus():
    """The stand-in with its own small instrument at address 5."""
    yield from _bus("tiny")


@pytest.fixture
def analyser_bus():
    """The stand-in with the simulated analyser at address 5."""
    yield from _bus("analyser")


def run_fresh(code, env=None):
    """Runs code in a new interpreter (fresh module state); returns its output."""
    full = dict(os.environ)
    full.update(env or {})
    done = subprocess.run([sys.executable, "-c", code], env=full, capture_output=True,
                          text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return done.stdout
