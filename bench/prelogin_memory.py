#!/usr/bin/env python3
"""What connections that never log in cost chamber-server: the server's resident memory with N of
them open, less before, and how many the server keeps.

Usage: prelogin_memory.py SERVER_BINARY [N]     (default N: 240)

Two runs, each against a server of its own on a fresh database in a temporary folder:
  silent     N connections that send nothing;
  half-frame N connections that each send the first half of a frame of the largest length
             (1 MiB), the way a client that is slow or hostile sends it.
The connections come from 127.0.1.1 onwards, 15 from each address, so that they stay within a
server's limits per address; the measure is taken 1.5 s after the last one is made.
"""
import re
import socket
import struct
import subprocess
import sys
import tempfile
import time

LARGEST_FRAME = 1 << 20
VOTE = 10000025


def resident_kib(pid):
    with open(f"/proc/{pid}/status", encoding="utf-8") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def start(binary, folder):
    log = open(f"{folder}/server.log", "w", encoding="utf-8")
    server = subprocess.Popen([binary, "--db", f"{folder}/m.db", "--listen", "127.0.0.1:0"],
                              stdout=log, stderr=log)
    for _ in range(200):
        with open(f"{folder}/server.log", encoding="utf-8") as text:
            found = re.search(r"listening on \S+:(\d+)", text.read())
        if found:
            return server, int(found.group(1))
        time.sleep(0.05)
    server.kill()
    sys.exit("the server did not start")


def still_open(connection):
    connection.setblocking(False)
    try:
        return connection.recv(1) != b""
    except BlockingIOError:
        return True
    except OSError:
        return False


def measure(binary, count, half_frame):
    with tempfile.TemporaryDirectory() as folder:
        server, port = start(binary, folder)
        time.sleep(0.5)
        before = resident_kib(server.pid)
        connections = []
        for i in range(count):
            connection = socket.socket()
            connection.bind((f"127.0.{1 + i // 15}.{1 + i % 15}", 0))
            connection.connect(("127.0.0.1", port))
            if half_frame:
                header = struct.pack("<II", LARGEST_FRAME, VOTE)
                try:
                    connection.sendall(header + b"x" * (LARGEST_FRAME // 2))
                except OSError:
                    pass  # closed by the server before the half came
            connections.append(connection)
        time.sleep(1.5)
        after = resident_kib(server.pid)
        kept = sum(still_open(connection) for connection in connections)
        server.terminate()
        server.wait()
        for connection in connections:
            connection.close()
        kind = "half-frame" if half_frame else "silent"
        print(f"{kind:10} {count} connections: {before} KiB -> {after} KiB, "
              f"{(after - before) * 1024 // count} bytes each; {kept} kept open")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 240
    for half_frame in (False, True):
        measure(sys.argv[1], count, half_frame)


if __name__ == "__main__":
    main()
