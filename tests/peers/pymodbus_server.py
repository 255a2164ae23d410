#!/usr/bin/python3
"""A Modbus serial server built on pymodbus, for the peer tests of our client.

It serves one unit on a serial device (in the tests, one end of a socat pseudo-terminal
link), in RTU or ASCII framing, with a data store whose read-only tables follow the
pattern that the tests expect (see SeededInputRegister and SeededDiscreteInput), and with
the diagnostic counters, the diagnostic register and the server identification text that
the command line gives. It prints "ready" on standard output once the device is open and
exits cleanly on SIGTERM or SIGINT.

Run it with the Debian python (/usr/bin/python3), which has the pymodbus package.
"""

import argparse
import asyncio
import logging
import signal
import sys

from pymodbus.datastore import (
    ModbusSequentialDataBlock,
    ModbusServerContext,
    ModbusSlaveContext,
)
from pymodbus.device import ModbusControlBlock, ModbusDeviceIdentification
from pymodbus.factory import ServerDecoder
from pymodbus.pdu import ModbusExceptions
from pymodbus.server.async_io import ModbusSerialServer
from pymodbus.transaction import ModbusAsciiFramer, ModbusRtuFramer

# Every table covers addresses 0 to TABLE_SIZE - 1; anything beyond is an illegal address.
TABLE_SIZE = 2100

# The counters of the diagnostics function, in the order of --counters.
COUNTER_NAMES = [
    "BusMessage",
    "BusCommunicationError",
    "BusExceptionError",
    "SlaveMessage",
    "SlaveNoResponse",
    "SlaveNAK",
    "SlaveBusy",
    "BusCharacterOverrun",
]


def SeededInputRegister(address):
    """Value of input register `address` (the tests compute the same)."""
    return (address * 7 + 3) & 0xFFFF


def SeededDiscreteInput(address):
    """Value of discrete input `address` (the tests compute the same)."""
    return address % 3 == 0


def ParseArguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", required=True, help="serial device path")
    parser.add_argument("--mode", choices=["rtu", "ascii"], default="rtu")
    parser.add_argument("--unit", type=int, default=1, help="server address")
    parser.add_argument("--baud", type=int, default=19200)
    parser.add_argument("--bytesize", type=int, choices=[7, 8], default=8)
    parser.add_argument("--parity", choices=["N", "E", "O"], default="E")
    parser.add_argument("--stopbits", type=int, choices=[1, 2], default=1)
    parser.add_argument(
        "--counters",
        default="0,0,0,0,0,0,0,0",
        help="eight comma-separated diagnostic counters: " + ", ".join(COUNTER_NAMES),
    )
    parser.add_argument(
        "--diagnostic-bits",
        default="",
        help="comma-separated bit numbers (0-15) set in the diagnostic register",
    )
    parser.add_argument(
        "--id-text", default="", help="the data of the server identification report"
    )
    parser.add_argument(
        "--refuse",
        type=int,
        action="append",
        default=[],
        metavar="FUNCTION",
        help="answer this function code with the exception 'illegal function', "
        "like a device that lacks it (may be repeated)",
    )
    return parser.parse_args()


def BuildContext(unit, idText):
    store = ModbusSlaveContext(
        di=ModbusSequentialDataBlock(
            0, [SeededDiscreteInput(a) for a in range(TABLE_SIZE)]
        ),
        co=ModbusSequentialDataBlock(0, [False] * TABLE_SIZE),
        hr=ModbusSequentialDataBlock(0, [0] * TABLE_SIZE),
        ir=ModbusSequentialDataBlock(
            0, [SeededInputRegister(a) for a in range(TABLE_SIZE)]
        ),
        zero_mode=True,
    )
    if idText:
        # Read by the Report Server ID request in place of the device identity.
        store.reportSlaveIdData = idText.encode("latin-1")
    return ModbusServerContext(slaves={unit: store}, single=False)


def SeedControlBlock(counters, diagnosticBits):
    control = ModbusControlBlock()
    values = [int(v, 0) for v in counters.split(",")]
    if len(values) != len(COUNTER_NAMES):
        sys.exit(f"--counters needs {len(COUNTER_NAMES)} values")
    for name, value in zip(COUNTER_NAMES, values):
        setattr(control.Counter, name, value & 0xFFFF)
    bits = [int(b) for b in diagnosticBits.split(",") if b.strip()]
    control.setDiagnostic({bit: True for bit in bits})


def RefuseFunctions(functionCodes):
    """Make the server answer each function code with an "illegal function" exception.

    The request is still framed as usual (the RTU framer needs its size); only executing it
    is replaced.
    """
    decoder = ServerDecoder()
    for code in functionCodes:
        request = decoder.lookupPduClass(code)
        if getattr(request, "function_code", None) != code:
            sys.exit(f"pymodbus has no function {code} to refuse")
        request.execute = lambda self, *args: self.doException(
            ModbusExceptions.IllegalFunction
        )


async def Serve(args):
    framer = ModbusAsciiFramer if args.mode == "ascii" else ModbusRtuFramer
    identity = ModbusDeviceIdentification()
    identity.VendorName = "Peer"
    server = ModbusSerialServer(
        BuildContext(args.unit, args.id_text),
        framer,
        identity,
        port=args.port,
        baudrate=args.baud,
        bytesize=args.bytesize,
        parity=args.parity,
        stopbits=args.stopbits,
        timeout=0,
    )
    await server.start()
    if server.transport is None:
        sys.exit(f"could not open {args.port}")

    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    print("ready", flush=True)
    await stop.wait()
    # Closing the port cancels the request handler, which pymodbus reports as an error.
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    await server.shutdown()


def Main():
    args = ParseArguments()
    # pymodbus logs every exception reply it sends as an error; here they are expected.
    logging.getLogger("pymodbus.pdu").setLevel(logging.CRITICAL)
    SeedControlBlock(args.counters, args.diagnostic_bits)
    RefuseFunctions(args.refuse)
    asyncio.run(Serve(args))


if __name__ == "__main__":
    Main()
