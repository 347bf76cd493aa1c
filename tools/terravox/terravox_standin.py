#!/usr/bin/env python3
"""A stand-in of the online science service for tests and for trying the program.

It answers the service's four XML-RPC calls over HTTP on 127.0.0.1 only:
  ValidateUser(login, password)            -> struct {name, avatar}, or fault 2
  StartExperiment(login, password, rate, sensors, when) -> experiment id (string), or a code
  SendReading(id, rows, data_sets)         -> 0, or a code 1..13
  StopExperiment(id)                       -> 0, or a code

Knobs make it misbehave on purpose (each METHOD may be "*" for every call, and ":N" limits a
knob to the Nth call of that method, counted from 1):
  --fault METHOD[:N]=CODE   answer with an XML-RPC fault of that code
  --code METHOD[:N]=CODE    answer with that integer result code instead of the normal value
  --delay METHOD[:N]=SEC    answer only after that many seconds
  --drop METHOD[:N]         close the connection without answering
  --garbage METHOD[:N]      answer 200 with a body that is not XML
  --huge METHOD[:N]         answer 200 with a body of several megabytes
  --status METHOD[:N]=CODE  answer with that HTTP status (and a fault document as its body)

Every request is appended as one JSON line to --log as it arrives (its method, whatever the
knobs then do with it), and every call the service handles once more with its arguments
(the password is never written: only whether it matched). On start it prints
"KORVANTA_TERRAVOX_URL=http://127.0.0.1:PORT" and flushes.
"""
import argparse
import json
import socket
import sys
import threading
import time
import urllib.parse
import xmlrpc.client
from http.server import ThreadingHTTPServer
from xmlrpc.server import SimpleXMLRPCDispatcher, SimpleXMLRPCRequestHandler

# Result codes of the service.
OK = 0
AUTH_FAILED = 2
NO_EXPERIMENT = 3
ALREADY_STOPPED = 4
BAD_RATE = 13
WRONG_SET_COUNT = 9
WRONG_SAMPLE_COUNT = 10

RATE_CODES = set("0123456789ABCD")


class Knobs:
    def __init__(self):
        self.rules = []  # (kind, method, nth or None, value)
        self.counts = {}
        self.lock = threading.Lock()

    def add(self, kind, rule, with_value):
        value = None
        if with_value:
            rule, value = rule.split("=", 1)
        nth = None
        if ":" in rule:
            rule, n = rule.split(":", 1)
            nth = int(n)
        self.rules.append((kind, rule, nth, value))

    def count(self, method):
        with self.lock:
            self.counts[method] = self.counts.get(method, 0) + 1
            return self.counts[method]

    def matching(self, method, call_number):
        return [(kind, value) for kind, m, nth, value in self.rules
                if (m == "*" or m == method) and (nth is None or nth == call_number)]


class Service:
    def __init__(self, users, log_path):
        self.users = users
        self.experiments = {}
        self.next_id = 1
        self.lock = threading.Lock()
        self.log_path = log_path

    def log(self, entry):
        if not self.log_path:
            return
        with self.lock, open(self.log_path, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")

    def authorised(self, login, password):
        user = self.users.get(login)
        return user is not None and user[0] == password

    def ValidateUser(self, login, password):
        ok = self.authorised(login, password)
        self.log({"method": "ValidateUser", "login": login, "password_ok": ok})
        if not ok:
            raise xmlrpc.client.Fault(AUTH_FAILED, "authentication failed")
        return {"name": self.users[login][1], "avatar": "http://127.0.0.1/avatars/%s.png" % login}

    def StartExperiment(self, login, password, rate, sensors, when):
        ok = self.authorised(login, password)
        self.log({"method": "StartExperiment", "login": login, "password_ok": ok, "rate": rate,
                  "sensors": sensors, "when": str(when)})
        if not ok:
            return AUTH_FAILED
        if rate not in RATE_CODES:
            return BAD_RATE
        with self.lock:
            exp_id = "exp-%d" % self.next_id
            self.next_id += 1
            self.experiments[exp_id] = {"sensors": list(sensors), "rows": 0, "stopped": False}
        return exp_id

    def SendReading(self, exp_id, rows, data_sets):
        entry = {"method": "SendReading", "id": exp_id, "rows": rows, "sets": data_sets}
        self.log(entry)
        exp = self.experiments.get(exp_id)
        if exp is None:
            return NO_EXPERIMENT
        if exp["stopped"]:
            return ALREADY_STOPPED
        if len(data_sets) != len(exp["sensors"]):
            return WRONG_SET_COUNT
        for s in data_sets:
            values = s.split(",") if s else []
            if len(values) != rows:
                return WRONG_SAMPLE_COUNT
        exp["rows"] += rows
        return OK

    def StopExperiment(self, exp_id):
        exp = self.experiments.get(exp_id)
        self.log({"method": "StopExperiment", "id": exp_id,
                  "total_rows": exp["rows"] if exp else None})
        if exp is None:
            return NO_EXPERIMENT
        if exp["stopped"]:
            return ALREADY_STOPPED
        exp["stopped"] = True
        return OK


class Handler(SimpleXMLRPCRequestHandler):
    rpc_paths = ("/", "/RPC2")

    def log_message(self, *args):
        pass

    def log_request(self, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("content-length", "0") or "0")
        body = self.rfile.read(length) if length > 0 else b""
        try:
            _, method = xmlrpc.client.loads(body)
        except Exception:
            method = None
        self.server.service.log({"http": {"call": method,
                                          "agent": self.headers.get("User-Agent", ""),
                                          "type": self.headers.get("Content-Type", ""),
                                          "path": self.path,
                                          "body_start": body[:38].decode("utf-8", "replace")}})
        knobs = self.server.knobs
        actions = knobs.matching(method, knobs.count(method)) if method else []
        for kind, value in actions:
            if kind == "delay":
                time.sleep(float(value))
        for kind, value in actions:
            if kind == "drop":
                self.close_connection = True
                try:
                    self.connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                return
            if kind == "garbage":
                return self.reply(b"this is no XML at all <<<")
            if kind == "huge":
                return self.reply(b"<methodResponse><params><param><value><string>"
                                  + b"x" * (4 * 1024 * 1024) + b"</string></value></param></params></methodResponse>")
            if kind == "fault":
                return self.reply(xmlrpc.client.dumps(xmlrpc.client.Fault(int(value), "stand-in fault %s" % value),
                                                      methodresponse=True).encode())
            if kind == "status":
                return self.reply(xmlrpc.client.dumps(xmlrpc.client.Fault(3, "with an error status"),
                                                      methodresponse=True).encode(), int(value))
            if kind == "code":
                self.server.dispatcher._marshaled_dispatch(body)  # the service still records it
                return self.reply(xmlrpc.client.dumps((int(value),), methodresponse=True).encode())
        self.reply(self.server.dispatcher._marshaled_dispatch(body))

    def reply(self, data, status=200):
        self.send_response(status)
        self.send_header("Content-Type", "text/xml")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)
        self.wfile.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=8080, help="0 picks a free port")
    parser.add_argument("--user", action="append", default=[],
                        help="LOGIN:PASSWORD:DISPLAY NAME, each part percent-encoded where it holds "
                             "':', '%%' or characters beyond ASCII (default teacher:secret:Ada Teacher)")
    parser.add_argument("--log", help="JSON-lines file every call is appended to")
    for kind in ("fault", "code", "delay", "status"):
        parser.add_argument("--" + kind, action="append", default=[])
    for kind in ("drop", "garbage", "huge"):
        parser.add_argument("--" + kind, action="append", default=[])
    args = parser.parse_args()

    users = {}
    for entry in args.user or ["teacher:secret:Ada Teacher"]:
        login, password, name = (urllib.parse.unquote(part) for part in entry.split(":", 2))
        users[login] = (password, name)
    knobs = Knobs()
    for kind in ("fault", "code", "delay", "status"):
        for entry in getattr(args, kind):
            knobs.add(kind, entry, True)
    for kind in ("drop", "garbage", "huge"):
        for entry in getattr(args, kind):
            knobs.add(kind, entry, False)

    dispatcher = SimpleXMLRPCDispatcher(allow_none=False, encoding="utf-8")
    service = Service(users, args.log)
    dispatcher.register_instance(service)
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.dispatcher = dispatcher
    server.service = service
    server.knobs = knobs
    print("KORVANTA_TERRAVOX_URL=http://127.0.0.1:%d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
