#!/usr/bin/env python3
# Figures by hand: hostile clients on loopback against brindle-server with its default limits
# (or the options given after the build folder), each followed by a normal `bradmtool list /`
# and a portal page fetch, timed, with the server's resident memory while the hostile ones hold.
#   python3 tests/standins/hostile_clients.py build [brindle-server options...]
# Every wait is bounded (400 s); the server and every connection are closed at the end.
import os, socket, subprocess, sys, tempfile, threading, time, struct, shutil
B = sys.argv[1]
tmp = tempfile.mkdtemp(prefix="brindle-measure-")
srv = subprocess.Popen([B + "/bin/brindle-server", "--data", tmp + "/data", "--report-port", "0", "--portal-port", "0"] + sys.argv[2:],
                       stdout=subprocess.PIPE, text=True)
line = srv.stdout.readline()
rp, pp = [int(x.split("=")[1]) for x in line.split()]
env = dict(os.environ, LD_LIBRARY_PATH=B + "/lib")
def rss():
    for l in open("/proc/%d/status" % srv.pid):
        if l.startswith("VmRSS:"): return int(l.split()[1]) / 1024.0
def normal_list():
    t = time.time()
    while time.time() - t < 400:
        r = subprocess.run([B + "/bin/bradmtool", "--server", "127.0.0.1:%d" % rp, "list", "/"], env=env, capture_output=True, timeout=400)
        if r.returncode == 0: return time.time() - t
        time.sleep(0.05)
    return -1
def portal_page():
    t = time.time()
    while time.time() - t < 400:
        try:
            s = socket.create_connection(("127.0.0.1", pp), timeout=400)
            s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            data = b""
            while True:
                d = s.recv(65536)
                if not d: break
                data += d
            s.close()
            if data.startswith(b"HTTP/1.1 200"): return time.time() - t
        except OSError:
            pass
        time.sleep(0.05)
    return -1
stop = threading.Event()
def hostile(port, n, opening, trickle, every):
    socks = []
    for _ in range(n):
        s = socket.create_connection(("127.0.0.1", port)); s.setblocking(False)
        if opening: s.send(opening)
        socks.append(s)
    def loop():
        i = 0
        while trickle and not stop.wait(every):
            for s in socks:
                try: s.send(trickle[i % len(trickle):i % len(trickle) + 1])
                except OSError: pass
            i += 1
    th = threading.Thread(target=loop); th.start()
    return socks, th
pre = b"\0\0\0\x09"; doc = b"\0\x09ATFormat2"
cases = [
    ("64 idle connections (report)", rp, 64, b"", b"", 0),
    ("64 connections, one byte every 10 s (report)", rp, 64, pre, doc + b"\0\x04\0\0\0\x40" + b"t" * 64, 10),
    ("70 x 22 bytes announcing 64 MiB (report)", rp, 70, pre + doc + b"\0\x04\0\0\xff\xff" + struct.pack(">I", 64 << 20) + b"abc", b"", 0),
    ("193 connections, a header byte every 5 s (portal)", pp, 193, b"GET / HTTP/1.1\r\n", b"X-A: " + b"b" * 100 + b"\r\n", 5),
    ("1100 idle connections, over the cap (report)", rp, 1100, b"", b"", 0),
    ("1100 connections, one byte every 0.3 s (report)", rp, 1100, pre, doc + b"\0\x04\0\0\0\x40" + b"t" * 64, 0.3),
]
print("server options:", " ".join(sys.argv[2:]) or "(defaults)")
for what, port, n, opening, trickle, every in cases:
    stop.clear()
    socks, th = hostile(port, n, opening, trickle, every)
    time.sleep(0.5 + 2 * every)
    r = rss()
    a = normal_list(); b = portal_page()
    print("%-52s bradmtool list / %.2f s, portal page %.2f s, server RSS %.1f MiB" % (what, a, b, r), flush=True)
    stop.set(); th.join()
    for s in socks: s.close()
    time.sleep(0.3)
srv.terminate(); srv.wait()
shutil.rmtree(tmp)
