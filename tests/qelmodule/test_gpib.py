"""The module on GPIB through the stand-in linux-gpib library, with the
stand-in's own instrument (QEL_STANDIN_INSTRUMENT=tiny) at primary address 5.
test_pam_sim.py has the simulated analyser on the same bus."""
import time

import pytest
import qel

from conftest import run_fresh


@pytest.fixture
def dev(bus, capsys):
    h = qel.Open("GPIB0", "adr=5")
    assert h >= 0
    qel.SetTimeout(h, 300)
    capsys.readouterr()
    return h


def hexed(data):
    return data.hex().upper()


def test_open_checks_address_and_listener(bus, capsys):
    assert qel.Open("GPIB0", "") == -1                      # no address: silent
    assert capsys.readouterr().out == ""
    assert qel.GetError() == 0
    assert qel.Open("GPIB0", "adr=32") == -1
    assert capsys.readouterr().out == "The given address 32 is not valid"
    assert qel.Open("GPIB0", "adr=6") == -1                 # nobody listens there
    assert qel.GetError() == 8
    assert capsys.readouterr().out == "The qel.Open function totally failed! Try again!\n"
    assert qel.Open("GPIB0", "adr=31") == -1                # the driver gives no descriptor
    assert qel.GetError() == 8
    capsys.readouterr()
    assert bus.state()["open"] == "0"
    h = qel.Open("GPIB0", "ADR=5")
    assert h == 0
    state = bus.state()
    assert state["open"] == "1" and state["clears"] == "1"   # cleared on open
    assert state["tmo"] == "12"                              # 3 s until told otherwise


def test_missing_driver_fails_open_cleanly():
    out = run_fresh(
        "import qel\n"
        "print(qel.Open('GPIB0', 'adr=5'))\n"
        "print(qel.GetError())\n",
        env={"QEL_GPIB_LIBRARY": "/nonexistent/libgpib.so.0"})
    assert out == "The qel.Open function totally failed! Try again!\n-1\n8\n"


def test_identification_and_end_of_string(dev, bus):
    assert qel.Write(dev, "*IDN?") == 6
    assert qel.Read(dev) == "QEL,GPIB STAND-IN,5,1.0"
    assert qel.GetError() == 0
    # Two replies in one transfer: the second survives for the next Read.
    qel.Write(dev, "RAW " + hexed(b"first\nsecond\n"))
    assert qel.Read(dev) == "first"
    assert qel.Read(dev) == "second"
    qel.Write(dev, "ECHO " + "w" * 3000)                      # several 1023-byte chunks
    assert qel.Read(dev) == "w" * 3000


def test_read_quota_and_latin1(dev):
    qel.Write(dev, "RAW " + hexed(b'"a\nb",\xe4\n'))
    assert qel.ReadQuota(dev) == '"a\nb",\xe4'


def test_read_binary(dev):
    qel.Write(dev, "BLOCK? 2000")
    assert qel.ReadBinary(dev) == bytes(i & 0xFF for i in range(2000))
    qel.Write(dev, "RAW " + hexed(b"#0abc\n"))
    with pytest.raises(qel.error) as info:
        qel.ReadBinary(dev)
    assert info.value.args[0] == -4
    qel.EraseBuffer(dev)
    qel.Write(dev, "RAW " + hexed(b"#13abcX"))
    with pytest.raises(qel.error) as info:
        qel.ReadBinary(dev)
    assert info.value.args[0] == -9


def test_timeout_leaves_the_read_under_way(dev, bus):
    qel.Write(dev, "DELAY 300")
    qel.Write(dev, "*IDN?")
    qel.SetTimeout(dev, 100)
    assert qel.Read(dev) == ""
    assert qel.GetError() == 13
    # The write waits for the read still under way; its reply is kept.
    qel.SetTimeout(dev, 1000)
    assert qel.Write(dev, "DELAY 0") == 8
    assert qel.Write(dev, "ECHO next") == 10
    assert qel.Read(dev) == "QEL,GPIB STAND-IN,5,1.0"
    assert qel.Read(dev) == "next"


def test_failed_read_and_status(dev, capsys):
    qel.Write(dev, "FAIL")
    qel.Write(dev, "*IDN?")
    assert qel.Read(dev) == ""
    assert capsys.readouterr().out == "Read error on GPIB0!\n"
    assert qel.Ioctl(dev, "CTB_GPIB_GETERR") == 6           # EABO
    assert qel.Ioctl(dev, "CTB_GPIB_GETSTA") & 0xC000 == 0xC000
    qel.Write(dev, "*IDN?")
    assert qel.Read(dev) == "QEL,GPIB STAND-IN,5,1.0"
    assert qel.Ioctl(dev, "CTB_GPIB_GETSTA") & 0x8000 == 0


def test_serial_poll_and_abbreviations(dev):
    assert qel.Ioctl(dev, "CTB_GPIB_GETRSP") == 0
    qel.Write(dev, "*IDN?")
    assert qel.Ioctl(dev, "CTB_GPIB_G") == 0x10              # abbreviation: GETRSP
    qel.Write(dev, "SRQ")
    assert qel.Ioctl(dev, "") == 0x50                        # empty word: the first too
    assert qel.Ioctl(dev, "CTB_GPIB_GETRSP") == 0x10         # the poll took the request
    qel.EraseBuffer(dev)
    assert qel.Ioctl(dev, "CTB_GPIB_GETRSP") == 0
    with pytest.raises(qel.error):
        qel.Ioctl(dev, "CTB_GPIB_RESET")
    with pytest.raises(qel.error):
        qel.Ioctl(dev, "ctb_gpib_getrsp")


def test_bus_lines_remote_enable_and_local(dev, bus):
    lines = qel.Ioctl(dev, "CTB_GPIB_GETL")
    assert lines & 0xFF == 0xFF and not lines & 0x1000
    assert qel.Ioctl(dev, "CTB_GPIB_REN") == 0
    state = bus.state()
    assert state["ren"] == "1" and state["cmd"] == "05"       # the address as command byte
    assert qel.Ioctl(dev, "CTB_GPIB_GETLINES") & 0x1000
    locals_before = int(state["locals"])
    assert qel.Ioctl(dev, "CTB_GPIB_GT") == 0                 # GTL
    assert int(bus.state()["locals"]) == locals_before + 1


def test_set_timeout_maps_to_bus_codes(dev, bus):
    for ms, code in [(5000, 12), (1001, 11), (1000, 10), (3000, 11), (2, 5), (1, 0),
                     (3600000, 17)]:
        qel.SetTimeout(dev, ms)
        assert bus.state()["tmo"] == str(code), ms


def test_reset_clears_the_device(dev, bus, capsys):
    qel.Write(dev, "*IDN?")
    clears = int(bus.state()["clears"])
    qel.Debug(9)
    qel.Reset(dev)
    assert capsys.readouterr().out == "The reset of device GPIB0 was successful!\n"
    assert int(bus.state()["clears"]) == clears + 1
    qel.Debug(1)
    assert qel.Read(dev) == ""                                # the reply was cleared
    assert qel.GetError() == 13


def test_erase_buffer_drops_a_waiting_reply(dev):
    qel.Write(dev, "ECHO old")
    assert qel.EraseBuffer(dev) == 0
    qel.Write(dev, "ECHO new")
    assert qel.Read(dev) == "new"


def test_close_returns_the_device_to_local(dev, bus, capsys):
    locals_before = int(bus.state()["locals"])
    qel.Debug(9)
    assert qel.Close(dev) == 0
    out = capsys.readouterr().out
    assert out.startswith("Instrument::Close(0)Content dp->s_devname device 0: GPIB0\n")
    assert "Content dp->s_timeout device GPIB0: 300\n" in out
    state = bus.state()
    assert int(state["locals"]) == locals_before + 1 and state["open"] == "0"
    assert qel.Ioctl(dev, "CTB_GPIB_GETRSP") == 0
    assert qel.GetError() == 3


def test_many_handles_on_one_address(bus):
    handles = [qel.Open("GPIB0", "adr=5") for _ in range(64)]
    assert handles == list(range(64))
    assert qel.Open("GPIB0", "adr=5") == -1
    assert qel.GetError() == 1
    assert bus.state()["open"] == "64"
    start = time.monotonic()
    for h in handles:
        qel.Write(h, "ECHO %d" % h)
    assert [qel.Read(h) for h in handles] == [str(h) for h in handles]
    assert time.monotonic() - start < 10
