#!/usr/bin/env python3
"""Floods a referee with non-move bytes during a person's turn and prints its
resident memory before and its peak after.
usage: tools/soak/flood.py [BUILD_DIR] [MIB]"""
import os, re, socket, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
mib = int(sys.argv[2]) if len(sys.argv) > 2 else 300
folder = tempfile.mkdtemp()
os.makedirs(folder + "/Data")
with open(f"{build}/program/Data/Board.cfg", "rb") as src, open(folder + "/Data/Board.cfg", "wb") as dst:
    dst.write(src.read())
referee = subprocess.Popen([f"{build}/program/referee", "--port", "0", "--first", "Гость", "--second",
                            "Компьютер", "--tick", "0", "--pause-scale", "0", "--program-folder", folder],
                           stdout=subprocess.PIPE)
port = int(referee.stdout.readline().split()[-1])
client = socket.create_connection(("127.0.0.1", port))


def kib(field):
    with open(f"/proc/{referee.pid}/status") as status:
        return int(re.search(field + r":\s+(\d+)", status.read()).group(1))


# Whatever colour the person has, the game is waiting for someone once the
# messages stop for a moment.
client.settimeout(0.5)
received = b""
while True:
    try:
        received += client.recv(65536)
    except socket.timeout:
        if received:
            break
before = kib("VmRSS")
client.setblocking(True)
chunk = bytes(1 << 20)  # byte 0 is not 1: no move
start = time.time()
for _ in range(mib):
    client.sendall(chunk)
print(f"{mib} MiB in {time.time() - start:.1f} s; resident before {before} KiB, "
      f"peak after {kib('VmHWM')} KiB")
referee.kill()
