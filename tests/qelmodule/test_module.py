"""Module functions that need no device: table, errors, debug, help, Kbhit."""
import os
import termios
import time

import pytest
import qel

from conftest import run_fresh


def test_method_table_documentation_and_version():
    docs = {
        "Close": "int qel.Close(int handle)",
        "Debug": "void qel.Debug(int dbglevel)",
        "EraseBuffer": "int qel.EraseBuffer(int handle)",
        "GetError": "int qel.GetError()",
        "GetErrorString": "char *qel.GetErrorString(int errornumber)",
        "Help": "void qel.Help(char *command)",
        "Ioctl": "int qel.Ioctl(int handle,int cmd)",
        "Kbhit": "char qel.Kbhit()",
        "Open": 'int qel.Open(char device, char "parameter")',
        "Read": "char *qel.Read(int handle)",
        "ReadBinary": "char *qel.ReadBinary(int handle)",
        "ReadQuota": "char *qel.ReadQuota(int handle)",
        "Reset": "void qel.Reset(int handle)",
        "SetTimeout": "void qel.SetTimeout(int handle, long time)",
        "Version": "char* qel.Version()",
        "Write": "int qel.Write(int handle)",
    }
    for name, doc in docs.items():
        assert getattr(qel, name).__doc__ == doc
    assert qel.Version() == "0.2.13"


def test_wrong_arguments_raise_type_error_and_do_nothing():
    for call in (lambda: qel.Close("0"), lambda: qel.Open(), lambda: qel.Write(0, 5),
                 lambda: qel.SetTimeout(0), lambda: qel.GetError(1), lambda: qel.Help(3)):
        with pytest.raises(TypeError):
            call()
    assert qel.GetError() == 0


def test_error_strings_and_get_error_reset(capsys):
    assert qel.GetErrorString(0) == "No error"
    assert qel.GetErrorString(13) == "The readfunction was ended by a timeout"
    assert qel.GetErrorString(22) == "The handle for Reset function is invalid"
    assert qel.GetError() == 0
    assert qel.GetErrorString(23) == ""
    assert capsys.readouterr().out == "The given Erronumber invalid: 23\n"
    assert qel.GetErrorString(-1) == ""
    assert qel.GetError() == 19
    assert qel.GetError() == 0


def test_invalid_handles_set_their_numbers(capsys):
    checks = [
        (lambda: qel.Close(64), -1, 14, "Handle in qel.Close function invalid: 64\n"),
        (lambda: qel.Write(-1, "x"), -1, 9, "Handle in qel.Write function invalid: -1\n"),
        (lambda: qel.Read(3), "", 11, "Handle in qel.Read function invalid: 3\n"),
        (lambda: qel.ReadQuota(3), "", 11, "Handle in qel.Read function invalid: 3\n"),
        (lambda: qel.EraseBuffer(5), -1, 16, "Handle in qel.EraseBuffer function invalid: 5\n"),
        (lambda: qel.SetTimeout(7, 100), None, 17, "Handle in qel.SetTimeout is invalid: 7\n"),
        (lambda: qel.SetTimeout(7, 0), None, 18, "The given Timeout is invalid: 0\n"),
        (lambda: qel.SetTimeout(7, 3600001), None, 18, "The given Timeout is invalid: 3600001\n"),
        (lambda: qel.Reset(9), None, 22, ""),  # its message is a trace (level 9)
        (lambda: qel.Ioctl(9, "CTB_GPIB_GETSTA"), 0, 3, ""),
    ]
    for call, result, number, message in checks:
        assert call() == result
        assert qel.GetError() == number
        assert capsys.readouterr().out == message
    with pytest.raises(qel.error):
        qel.ReadBinary(3)
    assert qel.GetError() == 11


def test_debug_levels(capsys):
    qel.Debug(9)                      # from 1: no note
    qel.Debug(9)                      # unchanged: no note
    qel.Debug(2)                      # from 9, printed at the old level
    qel.Debug(5)                      # from 2, but the note is a trace
    assert capsys.readouterr().out == "The Debug level has changed to: 2\n"
    qel.Debug(11)
    assert qel.GetError() == 20
    qel.Debug(9)
    qel.Debug(-1)
    assert qel.GetError() == 20
    out = capsys.readouterr().out
    assert out == "The debug level given is invalid: -1\nThe errornumber is: 20\n"
    qel.Debug(0)
    assert capsys.readouterr().out == "The Debug level has changed to: 0\n"
    qel.Open("LPT1", "")              # an error message, silenced at level 0
    assert capsys.readouterr().out == ""
    qel.Debug(1)
    assert qel.Open("LPT1") == -1
    assert capsys.readouterr().out == "The qel.Open function totally failed! Try again!\n"
    assert qel.GetError() == 8


def test_help_texts(capsys):
    qel.Help("")
    assert capsys.readouterr().out.startswith("\n\tThe following commands are available:\n")
    qel.Help("oPeN")
    assert capsys.readouterr().out == (
        "\n\tOpen device function\n\tFunctioncall: DeviceVariable = qel.Open(\"port\", "
        "\"parameter\")\n\tParameter like \"baud=38400 eos=lf proto=none\"\n\tBack comes the "
        "for the other functions neccessary handle\n\tYou should save it in a variable!\n\n")
    qel.Help("kbhit")
    assert 'if keypress a char!="\\0" comes back' in capsys.readouterr().out
    qel.Debug(0)                      # help ignores the debug level
    qel.Help("Write")
    assert capsys.readouterr().out == (
        "\n\tWrites command to the device\n\tFunctioncall: qel.Write(handle, \"command\")\n\n")
    qel.Help("version")
    assert capsys.readouterr().out == "\nNo valid command! Try again\n\n"


def test_kbhit_reads_a_waiting_key_without_echo():
    assert qel.Kbhit() == "\0"        # pytest's stdin is no terminal
    master, slave = os.openpty()
    saved = os.dup(0)
    try:
        os.dup2(slave, 0)
        before = termios.tcgetattr(0)
        assert qel.Kbhit() == "\0"    # nothing waiting
        os.write(master, b"q")
        for _ in range(100):
            key = qel.Kbhit()
            if key != "\0":
                break
            time.sleep(0.01)
        assert key == "q"
        assert termios.tcgetattr(0) == before   # console mode restored
    finally:
        os.dup2(saved, 0)
        os.close(saved)
        os.close(slave)
        os.close(master)


def test_unloading_lists_open_devices(tmp_path):
    out = run_fresh(
        "import os, tty, qel\n"
        "m, s = os.openpty(); tty.setraw(s)\n"
        "os.environ['QEL_PORT_COM2'] = os.ttyname(s)\n"
        "print(qel.Open('COM2', 'eos=lf'))\n"           # fresh record: no baud yet
        "print(qel.GetError())\n"
        "print(qel.Open('COM2', 'baud=19200 eos=lf proto=none'))\n"
        "qel.Debug(9)\n")
    lines = out.splitlines()
    assert lines[0] == "Not enough parameters for device COM2! "
    assert lines[1:4] == ["-1", "0", "0"]
    assert "The destructor closes the instance." in lines
    assert "There is an open device: 0 (wxSerialPort)" in lines
    assert any(line.startswith("Object: ") for line in lines)
