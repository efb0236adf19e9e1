#!/usr/bin/env python3
"""Reference configuration, analytics and file service for the Tallwick wizard.

Python 3 standard library only. Listens on 127.0.0.1:
  HTTPS (default port 443)  /o  configuration, /zbd analytics, /f/<name> files
  HTTP  (default port 8780) the same paths, for http:// downloads
  HTTPS (default port 8743) the same paths with a certificate nobody trusts
        (self-signed), when <state-dir>/untrusted.pem exists
Both listeners also answer the control paths under /_control/ (never recorded):
  POST /_control/reset                 forget scenarios and recorded requests, empty the events table
  POST /_control/scenario              {"path": "/o", "responses": [ {...}, ... ]}
  GET  /_control/requests[?path=/o]    every request as received: headers in order, body as hex
  GET  /_control/events                the analytics database rows (events answered
                                       with a status below 400)
  GET  /_control/ping                  liveness

A scenario response is an object with the optional members
  "status" (int, default 200), "body" (text, UTF-8), "body_hex" (bytes),
  "headers" ([[name, value], ...]), "delay" (seconds, at most 30),
  "redirect" (Location; status defaults to 302), "chunks" ([text, ...]: chunked
  transfer encoding), "content_length" ("omit" or an integer to claim instead
  of the real length), "cut" (send only this many body bytes, then close),
  "body_size" (a body of this many bytes, byte i being i % 251, in place of
  "body"), "pace" ([bytes, seconds]: send the body in blocks of that many bytes
  with that pause after each), "stall" (seconds, at most 60: after the headers
  and the body, or its first "cut" bytes, wait this long before closing), "drop"
  (true: close the connection without any answer).
Responses are used in order, one per request to that path; after the last,
the path answers with its default behaviour again.
"""

import argparse
import binascii
import json
import os
import socket
import sqlite3
import ssl
import sys
import threading
import time
import traceback
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, parse_qs

MAX_DELAY = 30.0
MAX_BODY = 64 * 1024 * 1024
MAX_STALL = 60.0
SCENARIO_KEYS = {"status", "body", "body_hex", "headers", "delay", "redirect", "chunks",
                 "content_length", "cut", "body_size", "pace", "stall", "drop"}

DEFAULT_CONFIGURATION = {
    "l": "US",
    "i": {"ct": "Reference Product", "cu": "https://localhost/f/product.exe", "ch": "ref",
          "cfl": "reference"},
    "f": {"a": "pub1", "m": 2},
    "o": [],
}


class ControlError(Exception):
    """Bad control input: answered with 400 and this text."""


class State:
    def __init__(self, db_path, files_dir):
        self.lock = threading.Lock()
        self.scenarios = {}
        self.requests = []
        self.files_dir = files_dir
        self.db_path = db_path
        self.db = sqlite3.connect(db_path, check_same_thread=False)
        self.db.execute("""CREATE TABLE IF NOT EXISTS events (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            received REAL NOT NULL,
            raw_body BLOB NOT NULL,
            event TEXT,
            headers TEXT NOT NULL)""")
        self.db.commit()

    def reset(self):
        with self.lock:
            self.scenarios.clear()
            self.requests.clear()
            self.db.execute("DELETE FROM events")
            self.db.commit()

    def set_scenarios(self, scenarios):
        # All or nothing: a bad entry leaves every scenario as it was.
        checked = [self.check_scenario(s) for s in scenarios]
        with self.lock:
            for path, responses in checked:
                self.scenarios[path] = responses

    @staticmethod
    def check_scenario(scenario):
        if not isinstance(scenario, dict):
            raise ControlError("scenario must be a JSON object")
        path = scenario.get("path")
        if not isinstance(path, str) or not path.startswith("/") or path.startswith("/_control"):
            raise ControlError("scenario needs \"path\": a text starting with / outside /_control")
        responses = scenario.get("responses")
        if not isinstance(responses, list):
            raise ControlError("scenario needs \"responses\": a list of objects")
        for n, r in enumerate(responses):
            validate_response(r, n)
        return path, list(responses)

    def next_response(self, path):
        with self.lock:
            queue = self.scenarios.get(path)
            if queue:
                return queue.pop(0)
        return None

    def record(self, entry):
        with self.lock:
            self.requests.append(entry)

    def recorded(self, path=None):
        with self.lock:
            return [r for r in self.requests if path is None or r["path"] == path]

    def store_event(self, raw, headers):
        event = None
        try:
            wrapper = json.loads(raw.decode("utf-8"))
            if isinstance(wrapper, dict) and isinstance(wrapper.get("data"), str):
                event = json.dumps(json.loads(wrapper["data"]), ensure_ascii=False)
        except (ValueError, UnicodeDecodeError):
            event = None
        with self.lock:
            self.db.execute("INSERT INTO events (received, raw_body, event, headers) VALUES (?,?,?,?)",
                            (time.time(), raw, event, json.dumps(headers, ensure_ascii=False)))
            self.db.commit()
        return event is not None

    def events(self):
        with self.lock:
            rows = self.db.execute(
                "SELECT id, received, raw_body, event, headers FROM events ORDER BY id").fetchall()
        return [{"id": i, "received": t, "raw_body_hex": binascii.hexlify(b).decode(),
                 "event": json.loads(e) if e is not None else None, "headers": json.loads(h)}
                for i, t, b, e, h in rows]


def validate_response(r, n):
    where = "responses[%d]" % n
    if not isinstance(r, dict):
        raise ControlError(where + " must be an object")
    unknown = set(r) - SCENARIO_KEYS
    if unknown:
        raise ControlError(where + " has unknown members: " + ", ".join(sorted(unknown)))
    status = r.get("status", 200)
    if not isinstance(status, int) or isinstance(status, bool) or not 100 <= status <= 599:
        raise ControlError(where + ".status must be an integer from 100 to 599")
    if "body" in r and not isinstance(r["body"], str):
        raise ControlError(where + ".body must be a text")
    if "body_hex" in r:
        try:
            binascii.unhexlify(r["body_hex"])
        except (TypeError, ValueError, binascii.Error):
            raise ControlError(where + ".body_hex must be an even number of hex digits")
    headers = r.get("headers", [])
    if not isinstance(headers, list) or not all(
            isinstance(h, list) and len(h) == 2 and all(isinstance(x, str) for x in h)
            and "\r" not in "".join(h) and "\n" not in "".join(h) for h in headers):
        raise ControlError(where + ".headers must be a list of [name, value] texts")
    delay = r.get("delay", 0)
    if not isinstance(delay, (int, float)) or isinstance(delay, bool) or not 0 <= delay <= MAX_DELAY:
        raise ControlError(where + ".delay must be a number of seconds from 0 to %g" % MAX_DELAY)
    if "redirect" in r and (not isinstance(r["redirect"], str) or "\n" in r["redirect"]):
        raise ControlError(where + ".redirect must be a text")
    if "chunks" in r and (not isinstance(r["chunks"], list)
                          or not all(isinstance(c, str) for c in r["chunks"])):
        raise ControlError(where + ".chunks must be a list of texts")
    cl = r.get("content_length")
    if cl is not None and cl != "omit" and (not isinstance(cl, int) or isinstance(cl, bool) or cl < 0):
        raise ControlError(where + ".content_length must be \"omit\" or a non-negative integer")
    cut = r.get("cut")
    if cut is not None and (not isinstance(cut, int) or isinstance(cut, bool) or cut < 0):
        raise ControlError(where + ".cut must be a non-negative integer")
    size = r.get("body_size")
    if size is not None and (not isinstance(size, int) or isinstance(size, bool)
                             or not 0 <= size <= MAX_BODY):
        raise ControlError(where + ".body_size must be an integer from 0 to %d" % MAX_BODY)
    pace = r.get("pace")
    if pace is not None and not (
            isinstance(pace, list) and len(pace) == 2
            and isinstance(pace[0], int) and not isinstance(pace[0], bool) and pace[0] > 0
            and isinstance(pace[1], (int, float)) and not isinstance(pace[1], bool)
            and 0 <= pace[1] <= 1):
        raise ControlError(where + ".pace must be [bytes > 0, seconds from 0 to 1]")
    stall = r.get("stall", 0)
    if not isinstance(stall, (int, float)) or isinstance(stall, bool) or not 0 <= stall <= MAX_STALL:
        raise ControlError(where + ".stall must be a number of seconds from 0 to %g" % MAX_STALL)
    if "drop" in r and not isinstance(r["drop"], bool):
        raise ControlError(where + ".drop must be true or false")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TallwickReference/1.0"
    state = None  # set by main

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))

    # The client sends its body with the headers; a 100 Continue would only be noise.
    def handle_expect_100(self):
        return True

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_PUT(self):
        self.dispatch()

    def do_HEAD(self):
        self.dispatch()

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            data = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return data
                data += self.rfile.read(size)
                self.rfile.readline()
                if len(data) > MAX_BODY:
                    raise ValueError("body too large")
        length = int(self.headers.get("Content-Length") or 0)
        if length < 0 or length > MAX_BODY:
            raise ValueError("bad Content-Length")
        return self.rfile.read(length) if length else b""

    def dispatch(self):
        try:
            body = self.read_body()
        except ValueError as e:
            self.send_plain(400, "bad request body: %s\n" % e)
            return
        url = urlsplit(self.path)
        if url.path.startswith("/_control/"):
            self.control(url, body)
            return
        headers = [[k, v] for k, v in self.headers.items()]
        self.state.record({"time": time.time(), "method": self.command, "path": url.path,
                           "target": self.path, "scheme": self.server.scheme, "headers": headers,
                           "body_hex": binascii.hexlify(body).decode()})
        scenario = self.state.next_response(url.path)
        # The database holds the events the service accepted; a scenario that
        # answers with an error status stands for a service that lost them.
        accepted = scenario is None or scenario.get("status", 200) < 400
        if url.path == "/zbd" and self.command == "POST" and accepted:
            self.state.store_event(body, headers)
        if scenario is not None:
            self.answer_scenario(scenario)
        else:
            self.answer_default(url.path)

    # --- control interface -------------------------------------------------
    def control(self, url, body):
        try:
            what = url.path[len("/_control/"):]
            if what == "ping":
                self.send_json(200, {"ok": True})
            elif what == "reset" and self.command == "POST":
                self.state.reset()
                self.send_json(200, {"ok": True})
            elif what == "scenario" and self.command == "POST":
                try:
                    scenario = json.loads(body.decode("utf-8"))
                except (ValueError, UnicodeDecodeError) as e:
                    raise ControlError("scenario is not valid JSON: %s" % e)
                scenarios = scenario if isinstance(scenario, list) else [scenario]
                self.state.set_scenarios(scenarios)
                self.send_json(200, {"ok": True})
            elif what == "requests":
                path = parse_qs(url.query).get("path", [None])[0]
                self.send_json(200, self.state.recorded(path))
            elif what == "events":
                self.send_json(200, self.state.events())
            else:
                raise ControlError("unknown control request: %s %s" % (self.command, url.path))
        except ControlError as e:
            self.send_json(400, {"error": str(e)})
        except Exception as e:  # never let a control request take the server down
            traceback.print_exc()
            self.send_json(500, {"error": "internal error: %s" % e})

    # --- answers -------------------------------------------------------------
    def send_plain(self, status, text, content_type="text/plain; charset=utf-8"):
        data = text.encode("utf-8") if isinstance(text, str) else text
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def send_json(self, status, value):
        self.send_plain(status, json.dumps(value, ensure_ascii=False), "application/json")

    def answer_default(self, path):
        if path == "/o":
            self.send_json(200, DEFAULT_CONFIGURATION)
        elif path == "/zbd":
            self.send_json(200, {"ok": True})
        elif path.startswith("/f/"):
            name = path[3:]
            if not name or "/" in name or "\\" in name or name.startswith("."):
                self.send_plain(404, "not found\n")
                return
            full = os.path.join(self.state.files_dir, name)
            if not os.path.isfile(full):
                self.send_plain(404, "not found\n")
                return
            with open(full, "rb") as f:
                self.send_plain(200, f.read(), "application/octet-stream")
        else:
            self.send_plain(404, "not found\n")

    def answer_scenario(self, r):
        delay = r.get("delay", 0)
        if delay:
            time.sleep(delay)
        if r.get("drop"):
            self.close_connection = True
            return
        status = r.get("status", 302 if "redirect" in r else 200)
        if "body_hex" in r:
            data = binascii.unhexlify(r["body_hex"])
        elif "body_size" in r:
            size = r["body_size"]
            data = (bytes(range(251)) * (size // 251 + 1))[:size]
        else:
            data = r.get("body", "").encode("utf-8")
        self.send_response(status)
        for name, value in r.get("headers", []):
            self.send_header(name, value)
        if "redirect" in r:
            self.send_header("Location", r["redirect"])
        if "chunks" in r:
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for chunk in r["chunks"]:
                part = chunk.encode("utf-8")
                if part:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
                    self.wfile.flush()
            self.wfile.write(b"0\r\n\r\n")
            return
        cl = r.get("content_length")
        if cl == "omit":
            # Without a length the end of the body is the end of the connection.
            self.close_connection = True
            self.send_header("Connection", "close")
        else:
            self.send_header("Content-Length", str(len(data) if cl is None else cl))
        cut = r.get("cut")
        if cut is not None:
            data = data[:cut]
        if cut is not None or (isinstance(cl, int) and cl != len(data)):
            # Said aloud, so that no client keeps the connection for another
            # request (bytes beyond the claimed length would answer it).
            self.close_connection = True
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.write_body(data, r.get("pace"))
        self.wfile.flush()
        stall = r.get("stall", 0)
        if stall:
            time.sleep(stall)
            self.close_connection = True

    def write_body(self, data, pace):
        if not pace:
            self.wfile.write(data)
            return
        block, pause = pace
        for start in range(0, len(data), block):
            self.wfile.write(data[start:start + block])
            self.wfile.flush()
            if pause:
                time.sleep(pause)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, scheme, verbose, context=None):
        super().__init__(address, Handler)
        self.scheme = scheme
        self.verbose = verbose
        self.context = context

    def get_request(self):
        sock, addr = super().get_request()
        if self.context is not None:
            sock.settimeout(30)
        return sock, addr

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the request's own thread, so a client that
        # stalls in it cannot block the listener.
        if self.context is not None:
            try:
                request = self.context.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                return
        super().finish_request(request, client_address)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    p = argparse.ArgumentParser(description="Tallwick reference service")
    p.add_argument("--state-dir", required=True,
                   help="folder with localhost.pem/localhost.key; the database goes there too")
    p.add_argument("--files", default=os.path.join(here, "files"), help="folder served under /f/")
    p.add_argument("--https-port", type=int, default=443)
    p.add_argument("--http-port", type=int, default=8780)
    p.add_argument("--untrusted-port", type=int, default=8743)
    p.add_argument("--verbose", action="store_true")
    args = p.parse_args()

    state = State(os.path.join(args.state_dir, "analytics.db"), args.files)
    Handler.state = state
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(args.state_dir, "localhost.pem"),
                            os.path.join(args.state_dir, "localhost.key"))
    https = Server(("127.0.0.1", args.https_port), "https", args.verbose, context)
    http = Server(("127.0.0.1", args.http_port), "http", args.verbose)
    servers = [https, http]
    untrusted_pem = os.path.join(args.state_dir, "untrusted.pem")
    if os.path.exists(untrusted_pem):
        untrusted_context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        untrusted_context.load_cert_chain(untrusted_pem,
                                          os.path.join(args.state_dir, "untrusted.key"))
        servers.append(Server(("127.0.0.1", args.untrusted_port), "https", args.verbose,
                              untrusted_context))
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("tallwick reference service: https://localhost:%d  http://localhost:%d"
          % (args.https_port, args.http_port), flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass
    for server in servers:
        server.shutdown()


if __name__ == "__main__":
    main()
