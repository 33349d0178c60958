"""Real sessions with the simulated analyser: pam-sim on a pseudo-terminal
mapped to COM1, and the stand-in GPIB library backed by the same device
model at primary address 5."""
import os
import struct
import subprocess
import sys
import time

import pytest
import qel

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "qelmodule", "examples",
                       "pam_session.py")


def ask(h, command):
    assert qel.Write(h, command) == len(command) + 1
    reply = qel.Read(h)
    assert qel.GetError() == 0, command
    return reply


def block(h, command):
    assert qel.Write(h, command) > 0
    return qel.ReadBinary(h)


@pytest.fixture
def com1(pam_sim, capsys):
    h = qel.Open("COM1", "baud=38400 eos=lf proto=none")
    assert h >= 0
    qel.SetTimeout(h, 1000)
    capsys.readouterr()
    return h


def test_serial_identification_and_settings(com1):
    maker, model, serial, firmware = ask(com1, "*IDN?").split(",")
    assert model == "PAM-A" and serial.startswith("SIM") and firmware
    assert ask(com1, "MODE 2;*OPC?") == "1"
    assert ask(com1, "SOUR:DIG:COND3 1;*OPC?") == "1"
    assert ask(com1, "SOUR:DIG:COND3?;SOUR:DIG:COND4?") == "1;0"
    assert ask(com1, "SYST:ERR?") == '0,"No error"'


def test_serial_language_switch_and_error_queue(com1):
    assert ask(com1, "SYST:LANG SHORT;*OPC?") == "1"
    assert ask(com1, "SYST:LANG?") == "SHORT"
    assert ask(com1, "DOCO2 1;*OPC?") == "1"
    assert ask(com1, "DOCO2?") == "1"
    # Headers of the other language are unknown; the queue keeps them in order.
    assert ask(com1, "SYST:ERR?;*OPC?") == "1"
    assert ask(com1, "MODE 7;*OPC?") == "1"
    assert int(ask(com1, "*ESR?")) & 0x30 == 0x30          # command and execution errors
    assert ask(com1, "ERRALL?") == '-113,"Undefined header",-222,"Data out of range"'
    assert ask(com1, "ERRALL?") == '0,"No error"'
    assert ask(com1, "LANG SCPI;*OPC?") == "1"
    assert ask(com1, "SYST:LANG?") == "SCPI"
    # A query without answer (undefined) leaves Read to time out.
    qel.SetTimeout(com1, 100)
    assert qel.Write(com1, "XYZZY?") == 7
    assert qel.Read(com1) == ""
    assert qel.GetError() == 13
    assert ask(com1, "SYST:ERR?") == '-113,"Undefined header"'


def test_serial_packed_blocks(com1):
    # The format changes with the next message: this confirmation is still text.
    assert ask(com1, "FRMT PACKED;*OPC?") == "1"
    volts = block(com1, "UAC?")
    assert len(volts) == 4
    assert struct.unpack("<f", volts)[0] == pytest.approx(230, rel=0.05)
    assert struct.unpack("<f", block(com1, "FREQ?"))[0] == pytest.approx(50, rel=0.01)
    idn = block(com1, "*IDN?").decode("latin-1")
    assert idn.split(",")[2].startswith("SIM")
    # Text where a block belongs is refused with the start-character code.
    assert block(com1, "FRMT ASCII;*OPC?") == b"1"
    qel.Write(com1, "*OPC?")
    with pytest.raises(qel.error) as info:
        qel.ReadBinary(com1)
    assert info.value.args[0] == -2


def test_example_session_end_to_end(pam_sim):
    done = subprocess.run([sys.executable, EXAMPLE, "COM1"], capture_output=True, text=True,
                          timeout=60, env=dict(os.environ))
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[0].startswith("Instrument: QEL KORVEL") and ",SIM" in lines[0]
    assert all(line.endswith("-> 1") for line in lines[1:5]), lines
    head, harmonics = lines[5].split(":")
    assert head == "Harmonic currents (A), 41 orders"
    assert float(harmonics.split()[1]) == pytest.approx(1, rel=0.05)   # the 230 ohm heater
    values = dict(line.split(" = ") for line in lines[6:8])
    assert float(values["UAC1 (V)"]) == pytest.approx(230, rel=0.05)
    assert float(values["FREQ (Hz)"]) == pytest.approx(50, rel=0.01)
    assert lines[-1] == "FRMT ASCII confirmed: 1"


@pytest.fixture
def gpib(analyser_bus, capsys):
    h = qel.Open("GPIB0", "adr=5")
    assert h >= 0
    qel.SetTimeout(h, 300)
    capsys.readouterr()
    return h


def test_gpib_identification_and_block_with_end(gpib, analyser_bus):
    assert ask(gpib, "*IDN?") == "QEL KORVEL Darezorovi Systems GmbH,PAM-A,SIM00005,2.510"
    assert qel.Ioctl(gpib, "CTB_GPIB_GETSTA") & 0x2000             # END with the last byte
    assert ask(gpib, "FRMT PACKED;*OPC?") == "1"
    assert analyser_bus.state()["format"] == "PACKED"
    assert block(gpib, "*IDN?").decode("latin-1").split(",")[2] == "SIM00005"
    assert qel.Ioctl(gpib, "CTB_GPIB_GETSTA") & 0x2000
    assert struct.unpack("<f", block(gpib, "UAC?"))[0] == pytest.approx(230, rel=0.05)
    harmonics = struct.unpack("<41f", block(gpib, "HIAM1? (0:40)"))
    assert harmonics[1] == pytest.approx(1, rel=0.05) and max(harmonics[2:]) < 0.01


def test_gpib_read_waits_for_the_cyclic_answer(gpib):
    # Continuous measuring: each answer comes when its cycle completes; a read
    # started before then waits for the device to talk.
    qel.SetTimeout(gpib, 2000)
    assert float(ask(gpib, "ACTN;UAC?")) == pytest.approx(230, rel=0.05)
    qel.Write(gpib, "CONT ON")
    for _ in range(2):
        assert float(qel.Read(gpib)) == pytest.approx(230, rel=0.05)
        assert qel.GetError() == 0
    qel.Write(gpib, "CONT OFF")
    qel.EraseBuffer(gpib)


def test_standin_read_stays_under_way_until_the_bus_timeout(analyser_bus):
    import ctypes
    lib = analyser_bus.lib
    ud = lib.ibdev(0, 5, 0, 10, 1, 0)                              # T300ms
    assert ud >= 0
    buf = ctypes.create_string_buffer(64)
    assert not lib.ibrda(ud, buf, 64) & 0x8000
    assert lib.ibwait(ud, 0) == 0                                  # silent device: still under way
    time.sleep(0.35)
    assert lib.ibwait(ud, 0) & 0xC100 == 0xC100                    # ERR TIMO CMPL
    assert lib.ibwrt(ud, b"*OPC?", 5) & 0x100
    assert not lib.ibrda(ud, buf, 64) & 0x8000
    assert lib.ibwait(ud, 0x100) & 0x2100 == 0x2100                # CMPL END
    assert buf.value == b"1\n"
    lib.ibonl(ud, 0)


def test_gpib_analyser_kind_and_load(analyser_bus, monkeypatch, capsys):
    monkeypatch.setenv("QEL_STANDIN_KIND", "C")
    monkeypatch.setenv("QEL_STANDIN_LISTENERS", "5,7")
    h = qel.Open("GPIB0", "adr=7")
    assert h >= 0
    qel.SetTimeout(h, 300)
    assert ask(h, "*IDN?").split(",")[1:3] == ["PAM-C", "SIM00007"]
    assert ask(h, "IAC3?") == ask(h, "IAC1?")                       # three phases alike
    qel.Close(h)
    # A load the simulator does not know: nobody listens, the open fails cleanly.
    monkeypatch.setenv("QEL_STANDIN_EUT", "no-such-load")
    monkeypatch.setenv("QEL_STANDIN_LISTENERS", "8")
    capsys.readouterr()
    assert qel.Open("GPIB0", "adr=8") == -1
    assert qel.GetError() == 8


def test_gpib_status_byte(gpib):
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0
    qel.Write(gpib, "*IDN?")
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0x10              # message available
    qel.Read(gpib)
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0
    qel.Write(gpib, "BOGUS")
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0x04              # error queue not empty
    assert ask(gpib, "SYST:ERR?") == '-113,"Undefined header"'
    # Service request on MAV: RQS shows once per request.
    qel.Write(gpib, "*SRE 16")
    qel.Write(gpib, "*OPC?")
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0x50
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0x10
    assert qel.Read(gpib) == "1"
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0


def test_gpib_device_clear_and_local(gpib, analyser_bus, capsys):
    assert ask(gpib, "SYST:LANG SHORT;*OPC?") == "1"
    qel.Write(gpib, "*IDN?")
    clears = int(analyser_bus.state()["clears"])
    qel.Reset(gpib)
    state = analyser_bus.state()
    assert int(state["clears"]) == clears + 1
    assert state["lang"] == "SHORT"                                # clear keeps the settings
    assert qel.Ioctl(gpib, "CTB_GPIB_GETRSP") == 0
    assert qel.Read(gpib) == ""                                    # the reply is gone
    assert qel.GetError() == 13
    assert ask(gpib, "*IDN?").endswith(",SIM00005,2.510")
    assert analyser_bus.state()["remote"] == "1"
    qel.Close(gpib)
    assert analyser_bus.state()["remote"] == "0"                   # closing goes to local


def test_standin_exports_only_the_gpib_abi(analyser_bus):
    lib = analyser_bus.lib
    for name in ("ibdev", "ibrda", "ibwait", "ThreadIbsta", "standin_describe", "ibsta"):
        getattr(lib, name)
    # The simulator and the platform linked into it stay local.
    for hidden in ("_Z5Timerv", "_ZN3sim8Analyser5inputEPKhmb"):
        with pytest.raises(AttributeError):
            getattr(lib, hidden)
