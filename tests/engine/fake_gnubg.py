#!/usr/bin/python3
# A stand-in for the engine: reads "external PATH" on its standard input as
# the real one does, then behaves as FAKE_GNUBG_MODE says:
#   play          listens and answers every line with a play
#   error         listens and answers every line with an error
#   die           exits as soon as it has accepted the connection
#   garbage       answers every line with bytes that are no play
#   mute          accepts and reads, never answers
#   deaf          answers the first line, having stopped reading any more
#   no-socket     never listens at all
#   cube          doubles whenever asked before a roll, drops every double,
#                 answers a play as in play
# Each start appends its process id to the file FAKE_GNUBG_LOG names.
import os
import socket
import sys
import time

mode = os.environ.get("FAKE_GNUBG_MODE", "play")
with open(os.environ["FAKE_GNUBG_LOG"], "a") as log:
    log.write("%d\n" % os.getpid())

path = None
for command in sys.stdin:
    if command.startswith("external "):
        path = command.split(None, 1)[1].strip()
        break
if path is None:
    sys.exit(1)
if mode == "no-socket":
    while True:
        time.sleep(3600)

server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind(path)
# As a permissive umask would leave it: only its folder keeps others out.
os.chmod(path, 0o777)
server.listen(1)
connection, _ = server.accept()
if mode == "die":
    sys.exit(0)
answers = {
    "play": b"8/5 6/5 \n",
    "error": b"Error: badly formed board\n",
    "garbage": b"\x00\x01\xfe no play here\n",
}
if mode == "deaf":
    connection.recv(1024)
    connection.shutdown(socket.SHUT_RD)
    connection.sendall(answers["play"])
    while True:
        time.sleep(3600)
for question in connection.makefile("rb"):
    if mode == "cube":
        fields = question.split(b":")
        if len(fields) > 40 and fields[40] == b"1":
            connection.sendall(b"drop\n")
        elif len(fields) > 40 and fields[33] == b"0":
            connection.sendall(b"double\n")
        else:
            connection.sendall(answers["play"])
    elif mode in answers:
        connection.sendall(answers[mode])
