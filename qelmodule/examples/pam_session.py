#!/usr/bin/python3
"""Talks to a PAM analyser (or pam-sim) on a serial port through qel:
identification, a few settings, packed binary blocks (harmonics, single
values).

    pam-sim --pty                          # prints the slave path, e.g. /dev/pts/7
    export QEL_PORT_COM1=/dev/pts/7
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


def value(h, query):
    """One measured value in packed format: a 4-byte little-endian float block."""
    qel.Write(h, query)
    data = qel.ReadBinary(h)
    if len(data) != 4:
        sys.exit("%s: block of %d bytes, expected 4" % (query, len(data)))
    return struct.unpack("<f", data)[0]


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
        # Packed format: every answer is one definite-length block, here of
        # 41 floats (harmonic orders 0 to 40) ...
        qel.Write(h, "HIAM1? (0:40)")
        block = qel.ReadBinary(h)
        harmonics = struct.unpack("<%df" % (len(block) // 4), block[:len(block) // 4 * 4])
        print("Harmonic currents (A), %d orders:" % len(harmonics),
              " ".join("%.4g" % v for v in harmonics[:8]), "...")
        # ... or of one value.
        for query, label in (("UAC1?", "UAC1 (V)"), ("FREQ?", "FREQ (Hz)")):
            print("%s = %.6g" % (label, value(h, query)))
        # Back to text; this confirmation still comes packed: a block holding "1".
        qel.Write(h, "FRMT ASCII;*OPC?")
        confirmed = qel.ReadBinary(h).decode("latin-1")
        ask(h, "LANG SCPI;*OPC?")
        print("FRMT ASCII confirmed:", confirmed)
    except qel.error as e:
        sys.exit("block read failed: %s" % (e,))
    finally:
        qel.Close(h)


if __name__ == "__main__":
    main()
