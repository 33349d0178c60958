"""The module on a serial port: a pseudo-terminal mapped to COMn, the test
playing the instrument on its other end."""
import os
import re
import termios
import threading
import time

import pytest
import qel

from conftest import Peer, run_fresh


def test_sixty_four_handles_then_error_1(capsys):
    peers = [Peer("COM%d" % n) for n in range(1, 66)]
    try:
        handles = [qel.Open("COM%d" % n, "baud=9600 eos=lf proto=none") for n in range(1, 65)]
        assert handles == list(range(64))
        assert qel.GetError() == 0
        capsys.readouterr()
        assert qel.Open("COM65", "baud=9600 eos=lf proto=none") == -1
        assert qel.GetError() == 1
        assert capsys.readouterr().out == "Theres no free handle!"
        assert qel.Close(17) == 0
        assert qel.Open("COM65", "baud=9600 eos=lf proto=none") == 17   # lowest free slot
        qel.Write(17, "x")
        assert peers[64].recv() == b"x\n"
    finally:
        for h in range(64):
            qel.Close(h)
        for p in peers:
            p.close()


def test_port_settings_reach_the_line(peer):
    h = qel.Open("COM1", "baud=19200 proto=rts/cts eos=cr")
    assert h == 0
    iflag, oflag, cflag, lflag, ispeed, ospeed, cc = peer.termios()
    assert ispeed == ospeed == termios.B19200
    assert cflag & termios.CSIZE == termios.CS8
    assert cflag & termios.CRTSCTS
    assert not cflag & (termios.PARENB | termios.CSTOPB)
    assert not lflag & (termios.ICANON | termios.ECHO)
    assert not iflag & (termios.IXON | termios.IXOFF | termios.ICRNL)
    qel.Close(h)
    # "QEL APPL" overrides the keys: 38400 baud, LF both ways, RTS/CTS.
    h = qel.Open("COM1", "baud=9600 eos=cr proto=none Qel Appl")
    cflag, ispeed = peer.termios()[2], peer.termios()[4]
    assert ispeed == termios.B38400 and cflag & termios.CRTSCTS
    qel.Write(h, "A")
    assert peer.recv() == b"A\n"


def test_port_is_exclusive(com1):
    assert qel.Open("COM1", "baud=9600 eos=lf proto=none") == -1
    assert qel.GetError() == 8


def test_unmapped_port_fails_cleanly():
    os.environ["QEL_PORT_COM9"] = "/nonexistent/tty"
    try:
        assert qel.Open("COM9", "baud=9600 proto=none") == -1
        assert qel.GetError() == 8
        assert qel.Open("COMX", "baud=9600 proto=none") == -1
        assert qel.GetError() == 8
    finally:
        del os.environ["QEL_PORT_COM9"]


@pytest.mark.parametrize("parameter, number, message", [
    ("BAUD=9600, proto=none", 4, "The given baudrate 9600 is not valid"),
    ("baud=9601 proto=none", 4, "The given baudrate 9601 is not valid\n"),
    ("baud=9600 proto=xon/xoff", 5, "The protocol given XON/XOFF is invalid!\n"),
    ("baud=9600 proto=none eos=crlf", 6, "The given EOS: CRLF is not valid!\n"),
    ("baud=9600 proto=none eos=lf,", 6, "The given EOS: LF, is not valid!\n"),
])
def test_parameter_errors(peer, capsys, parameter, number, message):
    assert qel.Open("COM1", parameter) == -1
    assert qel.GetError() == number
    assert capsys.readouterr().out == message
    # The slot was given back: the next open takes handle 0.
    assert qel.Open("COM1", "baud=9600 proto=none eos=lf") == 0


def test_open_trace_at_level_9(peer, capsys):
    qel.Debug(9)
    h = qel.Open("COM1", "baud=57600 proto=none eos=terminal")
    assert h == 0
    assert capsys.readouterr().out == (
        "Baudrate set at Openfunction: 57600\n"
        "The RTS/CTS protocol not is set!\n"
        "\nThe parameters given to the Device are:\nBaudrate:\t\t 57600\n"
        "Protocol (Rts/Cts):\t 0\nEOS for sending:\t CR\nEOS for receiving:\t CR/LF\n\n"
        "Open COM1 successful!\n")


@pytest.mark.parametrize("word, sent, reply, text", [
    ("LF", b"*IDN?\n", b"PAM,1\n", "PAM,1"),
    ("CR", b"*IDN?\r", b"PAM,1\r", "PAM,1"),
    ("CR/LF", b"*IDN?\r\n", b"A\rB\r\n", "AB"),        # a lone CR is dropped
    ("TERMINAL", b"*IDN?\r", b"PAM\r\r\n", "PAM"),
    ("NONE", b"*IDN?", b"PAM,1\0", "PAM,1"),
    ("NIL", b"*IDN?\n", b"PAM,1\0", "PAM,1"),
])
def test_write_and_read_with_each_end_of_string(peer, word, sent, reply, text):
    h = qel.Open("COM1", "baud=9600 proto=none eos=" + word.lower())
    qel.SetTimeout(h, 500)
    assert qel.Write(h, "*IDN?") == len(sent)
    assert peer.recv() == sent
    peer.send(reply)
    assert qel.Read(h) == text
    assert qel.GetError() == 0


def test_record_keeps_its_settings_between_opens(peer):
    h = qel.Open("COM1", "baud=9600 proto=none eos=cr")
    qel.Close(h)
    h = qel.Open("COM1", "")              # baud, protocol and eos from before
    assert h == 0
    qel.Write(h, "X")
    assert peer.recv() == b"X\r"


def test_bytes_survive_both_ways(com1, peer):
    assert qel.Write(com1, b"\x00\xff\x80") == 4
    assert peer.recv() == b"\x00\xff\x80\n"
    assert qel.Write(com1, "\xe9") == 2          # str goes out as Latin-1
    assert peer.recv() == b"\xe9\n"
    with pytest.raises(UnicodeEncodeError):
        qel.Write(com1, "\u20ac")
    peer.send(b"\xb5A\xfe\n")
    assert qel.Read(com1) == "\xb5A\xfe"
    peer.send(b"ab\0cd\n")                        # a Read ends at a zero byte
    assert qel.Read(com1) == "ab"


def test_read_timeout_is_error_13(com1, peer, capsys):
    start = time.monotonic()
    assert qel.Read(com1) == ""
    assert 0.14 <= time.monotonic() - start < 1.0
    assert qel.GetError() == 13
    peer.send(b"no end")
    assert qel.Read(com1) == ""
    assert qel.GetError() == 13
    qel.Debug(9)
    qel.Read(com1)
    assert capsys.readouterr().out == "Timeout occurs on COM1!\n"


def test_write_timeout_is_error_13(com1, peer):
    # Nobody reads the line: the pseudo-terminal's queue fills up.
    data = b"x" * (1 << 20)
    written = qel.Write(com1, data)
    assert 0 < written < len(data)
    assert qel.GetError() == 13


def test_write_and_read_traces(com1, peer, capsys):
    qel.Debug(9)
    qel.Write(com1, "AB")
    peer.send(b"hi\n")
    qel.Read(com1)
    assert capsys.readouterr().out == (
        "Handle in qel.Write function: 0\nEOS write: 0Ahex\nWrite 3 from 2 bytes and eos(1)\n"
        "Received Byte: 68\nReceived Byte: 69\n")
    qel.Debug(10)                                 # byte dump only at exactly 9
    peer.send(b"hi\n")
    assert qel.Read(com1) == "hi"
    assert "Received Byte" not in capsys.readouterr().out
    qel.Close(com1)
    h = qel.Open("COM1", "baud=9600 proto=none eos=none")
    capsys.readouterr()
    qel.Write(h, "AB")
    assert "EOS write: \nWrite 2 from 2 bytes and eos(0)\n" in capsys.readouterr().out


def test_read_quota_keeps_quoted_end_of_string(com1, peer):
    peer.send(b'"line1\nline2",7\n')
    assert qel.ReadQuota(com1) == '"line1\nline2",7'
    peer.send(b"\n")
    assert qel.ReadQuota(com1) == ""
    assert qel.GetError() == 0
    assert qel.ReadQuota(com1) == ""              # nothing comes
    assert qel.GetError() == 13
    peer.send(b'"open quote\n')
    assert qel.ReadQuota(com1) == ""
    assert qel.GetError() == 13


def test_read_quota_with_cr_lf(peer):
    h = qel.Open("COM1", "baud=9600 proto=none eos=cr/lf")
    qel.SetTimeout(h, 300)
    peer.send(b'A\rB "q\r\n" C\r\n')
    assert qel.ReadQuota(h) == 'A\rB "q\r\n" C'


def _block_error(h, peer, data):
    qel.EraseBuffer(h)
    peer.send(data)
    with pytest.raises(qel.error) as info:
        qel.ReadBinary(h)
    return info.value.args


def test_read_binary_codes(com1, peer):
    peer.send(b"#15ab\ncd\n")
    assert qel.ReadBinary(com1) == b"ab\ncd"
    payload = bytes(range(256)) * 4
    peer.send(b"#41024" + payload + b"\n")
    assert qel.ReadBinary(com1) == payload
    assert _block_error(com1, peer, b"X15abcde\n") == (-2, "Invalid start character (not #)")
    assert _block_error(com1, peer, b"")[0] == -2
    assert _block_error(com1, peer, b"#") == (-3, "Length byte read error")
    assert _block_error(com1, peer, b"#05abcde\n") == (-4, "Invalid length byte")
    assert _block_error(com1, peer, b"#A5abcde\n")[0] == -4
    assert _block_error(com1, peer, b"#312") == (-5, "Length field read error")
    assert _block_error(com1, peer, b"#21x") == (-6, "Invalid length field")
    assert _block_error(com1, peer, b"#15abcde\r") == (-9, "Invalid eos")
    assert _block_error(com1, peer, b"#15abcde")[0] == -9      # eos never comes
    assert _block_error(com1, peer, b"#10\n") == (-10, "Empty block")


def test_read_binary_trace_and_buffer_growth(com1, peer, capsys):
    qel.Debug(9)
    peer.send(b"#0")
    with pytest.raises(qel.error):
        qel.ReadBinary(com1)
    assert capsys.readouterr().out == "Invalid length byte\n"
    peer.send(b"#3300" + b"z" * 300 + b"\n")
    assert qel.ReadBinary(com1) == b"z" * 300
    capsys.readouterr()
    qel.Close(com1)
    assert buffer_size(capsys.readouterr().out) >= 512


def buffer_size(dump):
    return int(re.search(r"Buffersize at end of operation: (\d+)\n", dump).group(1))


def test_read_binary_when_the_instrument_vanishes(com1, peer):
    peer.send(b"#3100abc")
    threading.Timer(0.2, peer.hang_up).start()
    start = time.monotonic()
    with pytest.raises(qel.error) as info:
        qel.ReadBinary(com1)
    assert info.value.args == (-8, "Read data binary timeout")
    assert time.monotonic() - start < 5


def test_read_error_when_the_instrument_vanishes(com1, peer, capsys):
    peer.send(b"partial")
    time.sleep(0.05)
    peer.hang_up()
    assert qel.Read(com1) == ""
    assert capsys.readouterr().out == "Read error on COM1!\n"
    assert qel.Write(com1, "x") == 0
    assert qel.GetError() == 10


def test_erase_buffer_discards_pending_input(com1, peer):
    peer.send(b"stale reply\n" * 50)
    time.sleep(0.05)
    assert qel.EraseBuffer(com1) == 0
    assert qel.Read(com1) == ""
    assert qel.GetError() == 13
    peer.send(b"fresh\n")
    assert qel.Read(com1) == "fresh"


def test_reset_sends_a_break(com1, capsys):
    qel.Debug(9)
    start = time.monotonic()
    assert qel.Reset(com1) is None
    assert time.monotonic() - start >= 0.25
    assert capsys.readouterr().out == "The reset of device COM1 was successful!\n"


def test_set_timeout_and_ioctl_on_a_serial_handle(com1, capsys):
    qel.Debug(9)
    qel.SetTimeout(com1, 250)
    assert capsys.readouterr().out == "The timeout for device COM1 is set to 250!\n"
    assert qel.Ioctl(com1, "CTB_GPIB_GETRSP") == 0    # no GPIB controls on a serial port
    with pytest.raises(qel.error):
        qel.Ioctl(com1, "CTB_GPIB_GETRSPX")


def test_close_dumps_the_record(com1, peer, capsys):
    peer.send(b"y" * 200 + b"\n")
    assert qel.Read(com1) == "y" * 200
    qel.Read(com1)                                # time-out: s_error 13
    qel.Debug(2)
    qel.Debug(9)
    capsys.readouterr()
    assert qel.Close(com1) == 0
    dump = capsys.readouterr().out
    size = buffer_size(dump)                      # kept by the slot from earlier uses
    assert size >= 256 and size & (size - 1) == 0
    assert dump == (
        "Instrument::Close(0)Content dp->s_devname device 0: COM1\n"
        "Buffersize at end of operation: %d\n"
        "Content dp->s_timeout device COM1: 150\n"
        "Content dp->s_error device COM1: 13\n"
        "Device COM1 with handle 0 closed successfully!\n" % size)
    assert qel.Close(com1) == -1
    assert qel.GetError() == 14
    qel.Debug(2)
    h = qel.Open("COM1", "baud=9600 proto=none eos=lf")
    capsys.readouterr()
    qel.Close(h)
    assert capsys.readouterr().out == "Device COM1 with handle 0 closed successfully!\n"


def test_read_buffer_starts_at_128_and_doubles():
    out = run_fresh(
        "import os, tty, qel\n"
        "m, s = os.openpty(); tty.setraw(s)\n"
        "os.environ['QEL_PORT_COM1'] = os.ttyname(s)\n"
        "h = qel.Open('COM1', 'baud=9600 eos=lf proto=none')\n"
        "os.write(m, b'y' * 300 + b'\\n')\n"
        "assert qel.Read(h) == 'y' * 300\n"
        "qel.Debug(2); qel.Debug(9)\n"
        "qel.Close(h)\n"
        "qel.Debug(0)\n")
    assert "Buffersize at end of operation: 512\n" in out
