#!/usr/bin/python3
"""Talks to a PAM analyser (or pam-sim) on a serial port through qel:
identification, a few settings, one packed binary block.

    export QEL_PORT_COM1=/dev/pts/7        # the pseudo-terminal pam-sim serves
    PYTHONPATH=build/python /usr/bin/python3 qelmodule/examples/pam_session.py COM1

GPIB works the same way with a device name such as "GPIB0" and "adr=<n>".
"""
import struct
import sys

import qel


def ask(h, command):
    if qel.Write(h, command) <= 0:
        sys.exit("cannot write %r: %s" % (command, qel.GetErrorString(qel.GetError())))
    reply = qel.Read(h)
    error = qel.GetError()
    if error:
        sys.exit("no answer to %r: %s" % (command, qel.GetErrorString(error)))
    return reply


def main():
    port = sys.argv[1] if len(sys.argv) > 1 else "COM1"
    parameter = sys.argv[2] if len(sys.argv) > 2 else "baud=38400 eos=lf proto=none"
    h = qel.Open(port, parameter)
    if h < 0:
        sys.exit("cannot open %s: %s" % (port, qel.GetErrorString(qel.GetError())))
    try:
        qel.SetTimeout(h, 3000)
        qel.EraseBuffer(h)
        print("Instrument:", ask(h, "*IDN?"))
        for command in ("SYST:LANG SHORT;*OPC?", "MODE 1;*OPC?", "HTIM 150;*OPC?",
                        "FRMT PACKED;*OPC?"):
            print("%-24s -> %s" % (command, ask(h, command)))
        # Packed format: the answer is one definite-length block of 41 floats.
        qel.Write(h, "HIAM1? (0:40)")
        block = qel.ReadBinary(h)
        values = struct.unpack("<%df" % (len(block) // 4), block[:len(block) // 4 * 4])
        print("Harmonic currents (A):", " ".join("%.4g" % v for v in values[:8]), "...")
        # Back to text; this confirmation still comes packed: a block holding "1".
        qel.Write(h, "FRMT ASCII;*OPC?")
        print("FRMT ASCII confirmed:", qel.ReadBinary(h).decode("latin-1"))
    except qel.error as e:
        sys.exit("block read failed: %s" % (e,))
    finally:
        qel.Close(h)


if __name__ == "__main__":
    main()
