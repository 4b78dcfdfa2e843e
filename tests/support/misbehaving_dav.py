#!/usr/bin/env python3
"""A CalDAV server that breaks the rules in one way at a time, for tests.

    misbehaving_dav.py PORT MODE LOG [OTHER_PORT]

Listens on 127.0.0.1:PORT only. The account is /anna/ with one calendar,
/anna/calendar/, for events. Discovery answers properly (except in the mode
foreign-principal); the fault of MODE is in the first request to the
calendar, its listing, or its items. Every request is written to LOG as
"METHOD PATH auth|noauth". OTHER_PORT is where the foreign hrefs point; mode
"record" is that other server: it only logs and answers 404.
"""
import http.server
import os
import socket
import struct
import sys
import time

PORT, MODE, LOG = int(sys.argv[1]), sys.argv[2], sys.argv[3]
OTHER = int(sys.argv[4]) if len(sys.argv) > 4 else 1
OTHER_URL = 'http://127.0.0.1:%d' % OTHER
CAL = '/anna/calendar/'
XML = 'application/xml; charset=utf-8'


def multistatus(responses):
    return ('<?xml version="1.0" encoding="utf-8"?>'
            '<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">'
            + ''.join(responses) + '</d:multistatus>').encode()


def response(href, props):
    return ('<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>'
            '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>' % (href, props))


def event(uid, summary):
    return ('BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Misbehaving//EN\r\n'
            'BEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20261201T100000Z\r\n'
            'DTSTART:20300610T080000Z\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' % (uid, summary))


def escaped(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;').replace('\r', '&#13;')


# What clients put, by path: (etag, text).
PUT_HERE = {}


# (href, etag, text) of the calendar's items: the mode's own and what was put.
def items():
    return own_items() + [(href, etag, text) for href, (etag, text) in sorted(PUT_HERE.items())]


def own_items():
    if MODE == 'foreign-hrefs':
        return [(CAL + 'kept.ics', '"k1"', event('kept@test', 'Kept from the calendar')),
                (OTHER_URL + CAL + 'elsewhere.ics', '"o1"', event('elsewhere@test', 'On another server')),
                ('/anna/contacts/card.vcf', '"c1"', event('card@test', 'Outside the calendar')),
                (CAL + '../contacts/up.vcf', '"u1"', event('up@test', 'Up and out'))]
    if MODE == 'duplicate-hrefs':
        return [(CAL + 'twice.ics', '"t1"', event('twice@test', 'Listed twice')),
                (CAL + 'twice.ics', '"t1"', event('twice@test', 'Listed twice'))]
    if MODE == 'same-uid':
        return [(CAL + 'same-%05d.ics' % i, '"s%d"' % i, event('same@test', 'Same UID %d' % i))
                for i in range(10000)]
    return [(CAL + 'fine.ics', '"f1"', event('fine@test', 'Fine event'))]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def note(self):
        with open(LOG, 'a') as log:
            log.write('%s %s %s\n' % (self.command, self.path,
                                      'auth' if self.headers.get('Authorization') else 'noauth'))

    def body(self):
        n = int(self.headers.get('Content-Length') or 0)
        return self.rfile.read(n) if n else b''

    def answer(self, status, data=b'', ctype=XML, headers=()):
        self.send_response(status)
        self.send_header('Content-Type', ctype)
        self.send_header('Content-Length', str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def handle_one(self):
        self.note()
        request = self.body()
        if MODE == 'record':
            return self.answer(404)
        if self.path.startswith(CAL) and self.path != CAL and self.command in ('PUT', 'DELETE', 'GET'):
            return self.item(request)
        if self.path == CAL or self.path == CAL[:-1]:
            return self.calendar(request)
        return self.discovery()

    def discovery(self):
        if self.command != 'PROPFIND':
            return self.answer(405)
        if self.path == '/anna/' and self.headers.get('Depth') == '1':
            return self.answer(207, multistatus([response(
                CAL, '<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>'
                     '<c:supported-calendar-component-set><c:comp name="VEVENT"/>'
                     '</c:supported-calendar-component-set><d:displayname>Calendar</d:displayname>')]))
        principal = OTHER_URL + '/anna/' if MODE == 'foreign-principal' else '/anna/'
        return self.answer(207, multistatus([response(
            self.path, '<d:current-user-principal><d:href>%s</d:href></d:current-user-principal>'
                       '<c:calendar-home-set><d:href>/anna/</d:href></c:calendar-home-set>' % principal)]))

    def item(self, request):
        if self.command == 'PUT':
            etag = '"put-%d-%d"' % (len(PUT_HERE), len(request))
            PUT_HERE[self.path] = (etag, request.decode('utf-8', 'replace'))
            return self.answer(201, headers=[('ETag', etag)])
        if self.command == 'DELETE':
            PUT_HERE.pop(self.path, None)
            return self.answer(204)
        for href, etag, text in items():
            if href == self.path:
                return self.answer(200, text.encode(), 'text/calendar', [('ETag', etag)])
        return self.answer(404)

    def calendar(self, request):
        if self.fault():
            return
        if self.command == 'REPORT' and b'sync-collection' in request:
            return self.answer(403)
        if self.command == 'PROPFIND':
            return self.answer(207, multistatus(
                [response(CAL, '<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>')] +
                [response(href, '<d:getetag>%s</d:getetag>' % etag) for href, etag, _ in items()]))
        if self.command == 'REPORT':
            asked = set(part.split(b'</')[0].decode() for part in request.split(b'<d:href>')[1:])
            found = [response(href, '<d:getetag>%s</d:getetag><c:calendar-data>%s</c:calendar-data>'
                              % (etag, escaped(text)))
                     for href, etag, text in items() if href in asked or MODE == 'foreign-hrefs']
            return self.answer(207, multistatus(found))
        return self.answer(405)

    # The mode's fault, in the first request to the calendar; True when answered.
    def fault(self):
        if MODE == 'endless':
            self.send_response(207)
            self.send_header('Content-Type', XML)
            self.send_header('Connection', 'close')
            self.end_headers()
            self.wfile.write(b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">')
            chunk = b''.join(b'<d:response><d:href>/anna/calendar/%d.ics</d:href></d:response>' % i
                             for i in range(1000))
            try:
                while True:
                    self.wfile.write(chunk)
            except OSError:
                pass
            self.close_connection = True
            return True
        if MODE == 'huge-headers':
            self.send_response(207)
            try:
                for i in range(100000):
                    self.send_header('X-Filler-%d' % i, 'a' * 1000)
                    if i % 100 == 0:
                        self.flush_headers()
                self.end_headers()
            except OSError:
                pass
            self.close_connection = True
            return True
        if MODE == 'laughs':
            entities = '<!ENTITY l0 "ha">' + ''.join(
                '<!ENTITY l%d "%s">' % (i, ('&l%d;' % (i - 1)) * 10) for i in range(1, 10))
            body = ('<?xml version="1.0"?><!DOCTYPE d:multistatus [%s]>'
                    '<d:multistatus xmlns:d="DAV:"><d:response><d:href>&l9;</d:href>'
                    '<d:propstat><d:prop><d:getetag>&l9;</d:getetag></d:prop>'
                    '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>'
                    '</d:multistatus>' % entities).encode()
            self.answer(207, body)
            return True
        if MODE == 'truncated':
            whole = multistatus([response(href, '<d:getetag>%s</d:getetag>' % etag)
                                 for href, etag, _ in items()])
            self.answer(207, whole[:len(whole) // 2])
            return True
        if MODE == 'wrong-type':
            self.answer(207, b'<html><body>Welcome to our portal</body></html>', 'text/html')
            return True
        if MODE == 'drip':
            self.send_response(207)
            self.send_header('Content-Type', XML)
            self.send_header('Content-Length', '100000')
            self.end_headers()
            try:
                for _ in range(600):
                    self.wfile.write(b' ')
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            self.close_connection = True
            return True
        if MODE == 'busy':
            self.answer(503, b'Down for maintenance', 'text/plain', [('Retry-After', '120')])
            return True
        if MODE == 'reset':
            self.send_response(207)
            self.send_header('Content-Type', XML)
            self.send_header('Content-Length', '100000')
            self.end_headers()
            self.wfile.write(b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:"><d:response>' * 20)
            self.wfile.flush()
            # Closed with a reset, not a goodbye.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
            self.connection.close()
            self.close_connection = True
            return True
        return False

    def __getattr__(self, name):
        if name.startswith('do_'):
            return self.handle_one
        raise AttributeError(name)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # a client that gave up is no news here


open(LOG, 'a').close()
Server(('127.0.0.1', PORT), Handler).serve_forever()
