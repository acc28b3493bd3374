#!/usr/bin/python3
"""A CardDAV server on 127.0.0.1 that answers with one fault, for the sync failure tests.

Usage: faultserver.py MODE [N]
Prints its port on the first line of stdout, then serves until killed.

Modes: 401, 403, 404, 500 (every request); 412, 507 (on PUT; the rest is an empty
address book); truncated (a 207 whose XML stops midway); malformed (a 207 that is no XML);
slow (never answers); dieafter N (a working address book holding two cards that exits
after answering N requests); foreign (the same address book, whose listing also names
cards on another server and outside the collection); cardfail (the two cards, the
second of which a multiget answers with a 500 of its own); slowly N (the same address
book, each answer N ms late); trickle (an answer that never ends, a byte every half
second); endless (a listing in parts that never ends, 50 new cards a part).
"""

import hashlib
import os
import re
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

MODE = sys.argv[1] if len(sys.argv) > 1 else "dieafter"
LIMIT = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000

CARDS = {}
LOCK = threading.Lock()
ANSWERED = 0
ENDLESS = 0


def etag(text):
    return '"' + hashlib.sha1(text).hexdigest() + '"'


def card(uid, fn, n, tel):
    return ("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\nN:%s\r\nTEL;TYPE=CELL:%s\r\nEND:VCARD\r\n"
            % (uid, fn, n, tel)).encode("utf-8")


if MODE in ("dieafter", "foreign", "cardfail", "slowly"):
    CARDS["/kontakty/k1.vcf"] = card("k1", "Vzor Karel", "Vzor;Karel;;;", "+420 731 000 001")
    CARDS["/kontakty/k2.vcf"] = card("k2", "Vzorová Jana", "Vzorová;Jana;;;", "+420 731 000 002")


def response(href, props, status="HTTP/1.1 200 OK"):
    return ("<D:response><D:href>%s</D:href><D:propstat><D:prop>%s</D:prop><D:status>%s</D:status>"
            "</D:propstat></D:response>" % (escape(href), props, status))


def multistatus(body, token=None):
    extra = "<D:sync-token>%s</D:sync-token>" % token if token else ""
    return ('<?xml version="1.0" encoding="utf-8"?>\n<D:multistatus xmlns:D="DAV:" '
            'xmlns:C="urn:ietf:params:xml:ns:carddav">%s%s</D:multistatus>' % (body, extra)).encode("utf-8")


def collection_props(path):
    return response(path, "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                          "<D:displayname>Kontakty</D:displayname>"
                          "<D:current-user-principal><D:href>/</D:href></D:current-user-principal>"
                          "<C:addressbook-home-set><D:href>/</D:href></C:addressbook-home-set>")


def member_props(href, data=False):
    text = CARDS[href]
    props = "<D:getetag>%s</D:getetag><D:resourcetype/><D:getcontenttype>text/vcard</D:getcontenttype>" % escape(etag(text))
    if data:
        props += "<C:address-data>%s</C:address-data>" % escape(text.decode("utf-8"))
    return response(href, props)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        # Headers and body go in two writes: without this each answer waits on a delayed ACK.
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def answer(self, status, body=b"", headers=()):
        global ANSWERED
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if body:
            self.send_header("Content-Type", "application/xml; charset=utf-8" if body.lstrip().startswith(b"<?xml") else "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        with LOCK:
            ANSWERED += 1
            if MODE == "dieafter" and ANSWERED >= LIMIT:
                # Gone, as a server killed in the middle of a sync.
                os._exit(0)

    def handle_any(self):
        request = self.body()
        method = self.command
        if MODE == "slow":
            time.sleep(3600)
            return
        if MODE == "trickle":
            self.send_response(207)
            self.send_header("Content-Type", "application/xml; charset=utf-8")
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b" ")
                    self.wfile.flush()
                    time.sleep(0.5)
            except OSError:
                return
        if MODE == "slowly":
            time.sleep(LIMIT / 1000.0)
        if MODE in ("401", "403", "404", "500"):
            headers = [("WWW-Authenticate", 'Basic realm="kontakty"')] if MODE == "401" else []
            return self.answer(int(MODE), b"fault", headers)
        if MODE == "endless" and method == "REPORT" and b"sync-collection" in request:
            global ENDLESS
            ENDLESS += 1
            part = "".join(response("/kontakty/n%d-%d.vcf" % (ENDLESS, i), "<D:getetag>\"x\"</D:getetag>") for i in range(50))
            more = "<D:response><D:href>/kontakty/</D:href><D:status>HTTP/1.1 507 Insufficient Storage</D:status></D:response>"
            return self.answer(207, multistatus(part + more, "e%d" % ENDLESS))
        if MODE in ("truncated", "malformed") and method in ("PROPFIND", "REPORT"):
            if MODE == "malformed":
                return self.answer(207, b"Tohle nen\xc3\xad XML: <<< & >>>\n")
            whole = multistatus(collection_props(self.path) + member_props_fake())
            return self.answer(207, whole[: len(whole) // 2])
        if method == "PUT" and MODE in ("412", "507"):
            return self.answer(int(MODE), b"fault")
        return self.collection(method, request)

    def collection(self, method, request):
        path = self.path.split("?")[0]
        if method == "OPTIONS":
            return self.answer(200, b"", [("DAV", "1, 3, addressbook"), ("Allow", "OPTIONS, GET, PUT, DELETE, PROPFIND, REPORT")])
        if method == "PROPFIND":
            if path in CARDS:
                return self.answer(207, multistatus(member_props(path)))
            if not path.endswith("/"):
                return self.answer(404, b"")
            body = collection_props(path)
            if self.headers.get("Depth", "1") != "0":
                body += "".join(member_props(h) for h in sorted(CARDS))
            return self.answer(207, multistatus(body))
        if method == "REPORT":
            text = request.decode("utf-8", "replace")
            if "sync-collection" in text:
                token = re.search(r"<(?:\w+:)?sync-token>([^<]*)<", text)
                if token and token.group(1).strip():
                    return self.answer(403, b'<?xml version="1.0"?><D:error xmlns:D="DAV:"><D:valid-sync-token/></D:error>')
                listed = "".join(member_props(h) for h in sorted(CARDS))
                if MODE == "foreign":
                    # Served if asked for: a client that follows these downloads them.
                    for h in ("http://127.0.0.2:%d/kontakty/cizi.vcf" % self.server.server_address[1], "/jinde/cizi.vcf",
                              "/kontakty/../jinde/cizi.vcf"):
                        CARDS[h] = card("cizi", "Cizí Karel", "Cizí;Karel;;;", "+420 731 000 009")
                        listed += member_props(h)
                return self.answer(207, multistatus(listed, "t1"))
            hrefs = re.findall(r"<(?:\w+:)?href>([^<]*)<", text) if "multiget" in text else sorted(CARDS)
            refused = "/kontakty/k2.vcf" if MODE == "cardfail" else None
            return self.answer(207, multistatus("".join(member_props(h, True) if h in CARDS and h != refused else
                                                        "<D:response><D:href>%s</D:href><D:status>HTTP/1.1 %s</D:status></D:response>"
                                                        % (escape(h), "500 Internal Server Error" if h == refused else "404 Not Found")
                                                        for h in hrefs)))
        if method == "GET":
            if path not in CARDS:
                return self.answer(404, b"")
            return self.answer(200, CARDS[path], [("ETag", etag(CARDS[path])), ("Content-Type", "text/vcard")])
        if method == "PUT":
            old = CARDS.get(path)
            if self.headers.get("If-None-Match") == "*" and old is not None:
                return self.answer(412, b"")
            if self.headers.get("If-Match") and (old is None or self.headers.get("If-Match") != etag(old)):
                return self.answer(412, b"")
            CARDS[path] = request
            return self.answer(204 if old else 201, b"", [("ETag", etag(request))])
        if method == "DELETE":
            old = CARDS.get(path)
            if old is None:
                return self.answer(404, b"")
            if self.headers.get("If-Match") and self.headers.get("If-Match") != etag(old):
                return self.answer(412, b"")
            del CARDS[path]
            return self.answer(204, b"")
        return self.answer(405, b"")

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_OPTIONS = do_MKCOL = do_HEAD = do_POST = handle_any


def member_props_fake():
    return response("/kontakty/k1.vcf", "<D:getetag>\"abc\"</D:getetag><D:resourcetype/>") * 3


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
