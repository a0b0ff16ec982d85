#!/usr/bin/env python3
"""A scripted DNS server on a loopback port, for tests.

    scripted_dns.py RECORDS

Answers every SRV question with RECORDS targets (dc0000.big.test. ...,
priority 0, weight 10, port 389). An answer that does not fit a 512-byte
datagram is answered over UDP with the truncation bit set and nothing else, as
a real server does, and in full over TCP on the same port. Prints the port,
then one line "udp" or "tcp" per question; stops when its standard input
closes.
"""
import select
import socket
import struct
import sys


def question_end(msg):
    i = 12
    while msg[i]:
        i += 1 + msg[i]
    return i + 5


def answer(query, records, truncate):
    qid, flags = struct.unpack(">HH", query[:4])
    end = question_end(query)
    rd = flags & 0x0100
    header_flags = 0x8000 | 0x0400 | rd | 0x0080
    if truncate:
        return struct.pack(">HHHHHH", qid, header_flags | 0x0200, 1, 0, 0, 0) + query[12:end]
    body = b""
    for n in range(records):
        target = b"".join(bytes([len(l)]) + l for l in [b"dc%04d" % n, b"big", b"test"]) + b"\0"
        rdata = struct.pack(">HHH", 0, 10, 389) + target
        body += b"\xc0\x0c" + struct.pack(">HHIH", 33, 1, 60, len(rdata)) + rdata
    return struct.pack(">HHHHHH", qid, header_flags, 1, records, 0, 0) + query[12:end] + body


def bind_pair():
    """A UDP and a TCP socket on one free loopback port. The port the system
    picks for UDP may be in use for TCP (by any connection's local end), so
    another is tried until both are free."""
    for _ in range(100):
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        udp.bind(("127.0.0.1", 0))
        tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            tcp.bind(("127.0.0.1", udp.getsockname()[1]))
            tcp.listen(4)
            return udp, tcp
        except OSError:
            udp.close()
            tcp.close()
    raise SystemExit("no loopback port is free for both UDP and TCP")


def main():
    records = int(sys.argv[1])
    udp, tcp = bind_pair()
    port = udp.getsockname()[1]
    print(port, flush=True)
    fits = len(answer(b"\0" * 12 + b"\x04_big\0\0\x21\0\x01", records, False)) <= 512
    while True:
        ready, _, _ = select.select([udp, tcp, sys.stdin], [], [], 30)
        if not ready or sys.stdin in ready:
            return
        if udp in ready:
            query, peer = udp.recvfrom(512)
            print("udp", flush=True)
            udp.sendto(answer(query, records, not fits), peer)
        if tcp in ready:
            conn, _ = tcp.accept()
            conn.settimeout(5)
            with conn:
                length = struct.unpack(">H", conn.recv(2))[0]
                query = b""
                while len(query) < length:
                    query += conn.recv(length - len(query))
                print("tcp", flush=True)
                reply = answer(query, records, False)
                conn.sendall(struct.pack(">H", len(reply)) + reply)


if __name__ == "__main__":
    main()
