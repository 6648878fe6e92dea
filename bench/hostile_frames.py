#!/usr/bin/env python3
"""What one logged-in player who sends hostile frames costs chamber-server and the other players:
the server's CPU while the player sends vote requests of 1 MiB whose image claims 0x7fffffff
records and whose eight records form a cycle, as fast as the server reads them (its default rate
limit of 50 frames a second), and the time another player waits for the answer to a heartbeat
meanwhile.

Usage: hostile_frames.py SERVER_BINARY [SECONDS]     (default: 10)

The server runs on a fresh database in a temporary folder with its default limits.
"""
import os
import re
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

LOGIN, HEARTBEAT, VOTE = 1, 4, 10000025
TEXT = 40


def packet(records, count=None):
    body = b"".join(struct.pack("<Ihh", len(value), field, tag) + value for field, tag, value in records)
    return struct.pack("<III", 12 + len(body), len(records) if count is None else count, 4096) + body


def frame(message, image):
    return struct.pack("<Ii", 4 + len(image), message) + image


def hostile_vote():
    """The largest frame: an image whose count word lies and whose records go round a cycle."""
    size = (1 << 20) - 8
    image = bytearray(size)
    struct.pack_into("<III", image, 0, size, 0x7FFFFFFF, size)
    for i in range(8):
        at = 20 + 8 * i
        length = 0 if i < 7 else (20 - (at + 8)) & 0xFFFFFFFF  # the last one leads back to offset 20
        struct.pack_into("<IHH", image, at, length, 1000 + i, 20)
    return frame(VOTE, bytes(image))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat", encoding="utf-8") as stat:
        fields = stat.read().split(")")[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Server:
    def __init__(self, binary, folder):
        self.binary, self.folder = binary, folder
        self.tokens = {}
        for name in ("甲", "乙"):
            added = subprocess.run([binary, "--db", f"{folder}/h.db", "players", "add", name],
                                   capture_output=True, text=True, check=True)
            self.tokens[name] = added.stdout.strip()
        log = open(f"{folder}/server.log", "w", encoding="utf-8")
        self.process = subprocess.Popen([binary, "--db", f"{folder}/h.db", "--listen", "127.0.0.1:0"],
                                        stdout=log, stderr=log)
        while True:
            with open(f"{folder}/server.log", encoding="utf-8") as text:
                found = re.search(r"listening on \S+:(\d+)", text.read())
            if found:
                self.port = int(found.group(1))
                return
            time.sleep(0.05)

    def login(self, name):
        player = socket.create_connection(("127.0.0.1", self.port))
        player.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        player.sendall(frame(LOGIN, packet([(50, TEXT, name.encode("utf-16-le")),
                                            (51, TEXT, self.tokens[name].encode("utf-16-le"))])))
        time.sleep(0.3)
        player.setblocking(False)
        try:
            while player.recv(1 << 20):
                pass
        except BlockingIOError:
            pass
        player.setblocking(True)
        return player


def heartbeat(player):
    """The round trip of one heartbeat, in ms."""
    start = time.time()
    player.sendall(frame(HEARTBEAT, packet([])))
    buffered = b""
    while True:
        buffered += player.recv(65536)
        while len(buffered) >= 8:
            length, message = struct.unpack("<Ii", buffered[:8])
            if len(buffered) < 4 + length:
                break
            buffered = buffered[4 + length:]
            if message == HEARTBEAT:
                return (time.time() - start) * 1000


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    seconds = float(sys.argv[2]) if len(sys.argv) == 3 else 10
    with tempfile.TemporaryDirectory() as folder:
        server = Server(sys.argv[1], folder)
        attacker, other = server.login("甲"), server.login("乙")
        stopping = threading.Event()
        vote = hostile_vote()

        def send():
            while not stopping.is_set():
                try:
                    attacker.sendall(vote)
                except OSError:
                    return

        def read():
            while not stopping.is_set():
                try:
                    if not attacker.recv(1 << 20):
                        return
                except OSError:
                    return

        for work in (send, read):
            threading.Thread(target=work, daemon=True).start()
        time.sleep(1)
        cpu_before, started = cpu_seconds(server.process.pid), time.time()
        waits = []
        while time.time() - started < seconds:
            waits.append(heartbeat(other))
            time.sleep(0.05)
        cpu = (cpu_seconds(server.process.pid) - cpu_before) / (time.time() - started)
        stopping.set()
        server.process.terminate()
        server.process.wait()
        print(f"server CPU {100 * cpu:.0f} % of a core; the other player's heartbeat: "
              f"median {statistics.median(waits):.2f} ms, longest {max(waits):.2f} ms of {len(waits)}")


if __name__ == "__main__":
    main()
