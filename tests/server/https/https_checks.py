#!/usr/bin/env python3
"""vorl-server behind the nginx site the package ships, over HTTPS: the test makes its own CA and
certificate, a small archive, two server processes on free loopback ports and its own nginx running the
shipped site file with only the certificate paths and ports replaced, then runs a table of checks.

The first download is archived by hand; the second is sent through the API, the third by vorl-cli push.

Usage: https_checks.py BIN_DIR SITE_FILE [WORK_DIR]     exit 77 when nginx or openssl is missing.
"""
import ctypes
import glob
import hashlib
import http.client
import json
import os
import pwd
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

SKIP = 77
MIB = 1024 * 1024
PASSWORD = "un mot de passe assez long"
VENUE = '<script>alert("lieu")</script> & Cie'


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=60, **kwargs)


def replace_once(text, old, new):
    if text.count(old) != 1:
        raise SystemExit(f"the shipped site no longer has exactly one `{old}`: update the test's substitutions")
    return text.replace(old, new)


def test_site(shipped, cert, key, http_port, https_port, upstream_ports):
    """The shipped site with the test's certificate, ports and upstream; nothing else changes."""
    site = replace_once(shipped, "/etc/ssl/certs/ssl-cert-snakeoil.pem", cert)
    site = replace_once(site, "/etc/ssl/private/ssl-cert-snakeoil.key", key)
    site = replace_once(site, "server 127.0.0.1:8470;",
                        "\n    ".join(f"server 127.0.0.1:{p};" for p in upstream_ports))
    site = replace_once(site, "listen 80;", f"listen 127.0.0.1:{http_port};")
    site = replace_once(site, "listen [::]:80;", "")
    site = replace_once(site, "listen 443 ssl http2;", f"listen 127.0.0.1:{https_port} ssl http2;")
    site = replace_once(site, "listen [::]:443 ssl http2;", "")
    site = replace_once(site, "return 301 https://$host$request_uri;",
                        f"return 301 https://$host:{https_port}$request_uri;")
    listens = re.findall(r"^\s*listen\s+(\S+)", site, re.M)
    if any(not a.startswith("127.0.0.1:") for a in listens):
        raise SystemExit(f"the shipped site listens on more than the test replaced: {listens}")
    return site


def make_certificates(folder):
    ca_key, ca, key, csr, cert = (os.path.join(folder, n) for n in ("ca.key", "ca.pem", "server.key",
                                                                  "server.csr", "server.pem"))
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca, "-days", "2",
         "-subj", "/CN=VORL test CA", "-addext", "basicConstraints=critical,CA:TRUE",
         "-addext", "keyUsage=critical,keyCertSign"])
    run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr, "-subj", "/CN=localhost"])
    extensions = os.path.join(folder, "server.ext")
    with open(extensions, "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\n")
    run(["openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-out", cert,
         "-days", "2", "-extfile", extensions])
    return ca, cert, key


class Answer:
    def __init__(self, response):
        self.status = response.status
        self.headers = response.headers
        self.body = response.read()

    def json(self):
        return json.loads(self.body)

    def text(self):
        return self.body.decode("utf-8", "replace")


class Site:
    def __init__(self, ca, http_port, https_port):
        self.ca = ca
        self.context = ssl.create_default_context(cafile=ca)
        self.http_port, self.https_port = http_port, https_port
        self.origin = f"https://localhost:{https_port}"
        self.session = None  # cookie value once signed in
        self.csrf = None

    def https(self, method, path, body=None, headers=None, session=True):
        connection = http.client.HTTPSConnection("localhost", self.https_port, context=self.context, timeout=30)
        headers = dict(headers or {})
        if session and self.session:
            headers.setdefault("Cookie", f"__Host-vorl_session={self.session}")
        try:
            connection.request(method, path, body=body, headers=headers)
            return Answer(connection.getresponse())
        finally:
            connection.close()

    def plain(self, method, path):
        connection = http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=30)
        try:
            connection.request(method, path, headers={"Host": "localhost"})
            return Answer(connection.getresponse())
        finally:
            connection.close()

    def login(self, user, password, origin=None):
        return self.https("POST", "/api/v1/session", body=urllib.parse.urlencode({"user": user, "password": password}),
                          headers={"Content-Type": "application/x-www-form-urlencoded",
                                   "Origin": origin or self.origin}, session=False)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def expect_status(answer, status, what):
    expect(answer.status == status, f"{what}: {answer.status} instead of {status}: {answer.text()[:300]}")


# The checks, in the order they run: (group, name, function(site, state)).
CHECKS = []


def check(group, name):
    def register(function):
        CHECKS.append((group, name, function))
        return function
    return register


@check("public", "health answers 200 JSON with the security headers and HSTS")
def _(site, state):
    answer = site.https("GET", "/api/v1/health")
    expect_status(answer, 200, "GET /api/v1/health")
    expect(answer.headers.get_content_type() == "application/json", f"type {answer.headers['Content-Type']}")
    expect(answer.json().get("status") == "ok", f"body {answer.text()}")
    expect(answer.headers["Content-Security-Policy"] == "default-src 'self'; frame-ancestors 'none'",
           f"CSP {answer.headers['Content-Security-Policy']}")
    expect(answer.headers["X-Content-Type-Options"] == "nosniff", "no nosniff")
    expect(re.fullmatch(r"max-age=\d{7,}.*", answer.headers["Strict-Transport-Security"] or ""),
           f"HSTS {answer.headers['Strict-Transport-Security']}")
    expect(answer.headers["Server"] == "nginx", f"Server says {answer.headers['Server']}")


@check("public", "http:// is redirected to the same address on https://")
def _(site, state):
    answer = site.plain("GET", "/rapports?du=2026-01-01")
    expect(answer.status == 301, f"status {answer.status}")
    expect(answer.headers["Location"] == f"{site.origin}/rapports?du=2026-01-01", f"to {answer.headers['Location']}")


@check("public", "an unknown path is 404 and a wrong method 405 with Allow, both with the headers")
def _(site, state):
    missing = site.https("GET", "/nulle-part")
    expect_status(missing, 404, "GET /nulle-part")
    wrong = site.https("DELETE", "/api/v1/health")
    expect_status(wrong, 405, "DELETE /api/v1/health")
    expect("GET" in (wrong.headers["Allow"] or ""), f"Allow {wrong.headers['Allow']}")
    for answer in (missing, wrong):
        expect(answer.headers["X-Content-Type-Options"] == "nosniff", "a refusal without nosniff")
        expect(answer.headers["Strict-Transport-Security"], "a refusal without HSTS")


@check("public", "a body above 2 MiB is refused by nginx with 413 JSON; 2 MiB exactly goes through")
def _(site, state):
    headers = {"Content-Type": "application/octet-stream", "Authorization": "Bearer vorl1_1.essai"}
    refused = site.https("POST", "/api/v1/downloads", body=b"\0" * (2 * MIB + 1), headers=headers)
    expect_status(refused, 413, "2 MiB + 1 byte")
    expect(refused.json().get("error") == "too_large", f"body {refused.text()}")
    expect(refused.headers["Content-Security-Policy"], "the 413 has no CSP")
    passed = site.https("POST", "/api/v1/downloads", body=b"\0" * (2 * MIB), headers=headers)
    expect(passed.status not in (413, 502, 503, 504), f"2 MiB exactly: {passed.status} {passed.text()[:200]}")


@check("public", "the sign-in page answers 200 with its form")
def _(site, state):
    answer = site.https("GET", "/connexion")
    expect_status(answer, 200, "GET /connexion")
    expect(answer.headers.get_content_type() == "text/html", f"type {answer.headers['Content-Type']}")
    page = answer.text()
    expect('<form class="login" method="post"' in page and 'name="password"' in page, "no sign-in form")


@check("public", "without a session the API answers 401")
def _(site, state):
    expect_status(site.https("GET", "/api/v1/devices", session=False), 401, "GET /api/v1/devices")


@check("auth", "a wrong password is 401 bad_credentials and sets no cookie")
def _(site, state):
    answer = site.login("anne", PASSWORD + "x")
    expect_status(answer, 401, "wrong password")
    expect(answer.json().get("error") == "bad_credentials", f"body {answer.text()}")
    expect(not answer.headers.get_all("Set-Cookie"), "a cookie for a failed sign-in")


@check("auth", "signing in from another origin is 403")
def _(site, state):
    expect_status(site.login("anne", PASSWORD, origin="https://ailleurs.example"), 403, "foreign Origin")


@check("auth", "signing in gives the user, role, CSRF token and a __Host- cookie, Secure, HttpOnly, Lax")
def _(site, state):
    answer = site.login("anne", PASSWORD)
    expect_status(answer, 200, "sign-in")
    body = answer.json()
    expect(body.get("user") == "anne" and body.get("role") == "admin" and body.get("csrf"), f"body {body}")
    cookies = [c for c in answer.headers.get_all("Set-Cookie") or [] if c.startswith("__Host-vorl_session=")]
    expect(len(cookies) == 1, f"cookies {answer.headers.get_all('Set-Cookie')}")
    value, *attributes = [part.strip() for part in cookies[0].split(";")]
    attributes = {a.split("=", 1)[0].lower(): (a.split("=", 1) + [""])[1] for a in attributes}
    expect("secure" in attributes and "httponly" in attributes, f"flags {attributes}")
    expect(attributes.get("samesite", "").lower() == "lax" and attributes.get("path") == "/", f"flags {attributes}")
    expect("domain" not in attributes, "a __Host- cookie with a Domain")
    site.session, site.csrf = value.split("=", 1)[1], body["csrf"]
    devices = site.https("GET", "/api/v1/devices")
    expect_status(devices, 200, "GET /api/v1/devices signed in")
    expect(devices.headers["Cache-Control"] == "no-store", f"Cache-Control {devices.headers['Cache-Control']}")


@check("auth", "a venue name with <script> is escaped in the overview")
def _(site, state):
    answer = site.https("GET", "/")
    expect_status(answer, 200, "GET /")
    page = answer.text()
    expect("<script>alert" not in page, "the venue's name is in the page unescaped")
    expect("&lt;script&gt;alert" in page, "the venue's name is not in the page")


@check("auth", "a pushed download is 201, again 200 already_archived; its original has the file's SHA-256")
def _(site, state):
    with open(state["push_file"], "rb") as f:
        data = f.read()
    headers = {"Content-Type": "application/octet-stream", "Authorization": f"Bearer {state['token']}"}
    bad = dict(headers, Authorization="Bearer vorl1_1.faux")
    expect_status(site.https("POST", "/api/v1/downloads", body=data, headers=bad, session=False), 401, "bad token")
    expect_status(site.https("POST", "/api/v1/downloads", body=data, headers=headers, session=False), 201, "push")
    again = site.https("POST", "/api/v1/downloads", body=data, headers=headers, session=False)
    expect_status(again, 200, "second push")
    expect("already_archived" in again.text(), f"second push says {again.text()}")
    digest = hashlib.sha256(data).hexdigest()
    listing = site.https("GET", f"/api/v1/devices/{state['device']}/downloads")
    expect_status(listing, 200, "downloads list")
    ids = [d["id"] for d in listing.json()["downloads"] if d.get("sha256") == digest]
    expect(len(ids) == 1, f"the pushed file is listed {len(ids)} times")
    original = site.https("GET", f"/api/v1/downloads/{ids[0]}/original")
    expect_status(original, 200, "original")
    expect(hashlib.sha256(original.body).hexdigest() == digest, "the original differs from the pushed file")


def cli_push(site, state, folder):
    """vorl-cli push to the site trusting the test's CA, with its own state folder and the device's token."""
    state_dir = os.path.join(state["work"], folder)
    command = [state["cli"], "push", "--server", f"https://localhost:{site.https_port}", "--ca", site.ca,
               "--state", state_dir]
    return state_dir, command, dict(os.environ, VORL_TOKEN=state["token"])


@check("auth", "vorl-cli push sends over HTTPS trusting the test's CA; an unreadable file is refused")
def _(site, state):
    state_dir, command, env = cli_push(site, state, "push-state")
    sent = subprocess.run(command + [state["cli_push_file"]], capture_output=True, text=True, env=env, timeout=60)
    expect(sent.returncode == 0, f"push exited {sent.returncode}: {sent.stdout} {sent.stderr}")
    expect(state["token"] not in sent.stdout + sent.stderr, "the token was printed")
    expect(not os.listdir(os.path.join(state_dir, "pending")), "the sent file still waits")
    bad = os.path.join(state["work"], "bad.qlv")
    with open(bad, "wb") as f:
        f.write(b"not a save file")
    refused = subprocess.run(command + [bad], capture_output=True, text=True, env=env, timeout=60)
    expect(refused.returncode != 0, "pushing an unreadable file succeeded")


def pdf_pages_and_text(data, folder, name):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    pages = re.search(r"^Pages:\s+(\d+)", run(["pdfinfo", path]).stdout, re.M).group(1)
    return pages, run(["pdftotext", "-layout", path, "-"]).stdout


@check("auth", "a device's and a venue's reports are the bytes vorl-cli compliance writes; the PDF its pages and text")
def _(site, state):
    venues = site.https("GET", "/api/v1/venues").json()["venues"]
    venue = next(v["id"] for v in venues if v["name"] == VENUE)
    day = lambda days_ago: time.localtime(time.time() - days_ago * 86400)
    api_from, api_to = (time.strftime("%Y-%m-%d", day(d)) for d in (20, 14))
    cli_from, cli_to = (time.strftime("%d/%m/%Y", day(d)) for d in (20, 14))
    folder = os.path.join(state["work"], "reports")
    os.makedirs(folder, exist_ok=True)
    for kind, subject in (("device", state["device"]), ("venue", venue)):
        for form in ("csv", "json", "text", "pdf"):
            path = (f"/api/v1/{kind}s/{subject}/compliance?from={api_from}&to={api_to}&preset=decret-a"
                    f"&format={form}")
            answer = site.https("GET", path)
            expect_status(answer, 200, path)
            out = os.path.join(folder, f"{kind}.{form}")
            run([state["cli"], "compliance", f"--{kind}", str(subject), "--archive", state["archive"], "--from",
                 cli_from, "--to", cli_to, "--preset", "decret-a", "--format", form, "--out", out])
            with open(out, "rb") as f:
                written = f.read()
            if form == "pdf":
                expect(pdf_pages_and_text(answer.body, folder, f"{kind}-api.pdf") ==
                       pdf_pages_and_text(written, folder, f"{kind}-cli.pdf"),
                       f"the {kind}'s PDF differs from vorl-cli's in pages or text")
            else:
                expect(answer.body == written, f"the {kind}'s {form} differs from vorl-cli's")


@check("auth", "signing out needs the CSRF token and ends the session")
def _(site, state):
    expect_status(site.https("DELETE", "/api/v1/session", headers={"Origin": site.origin}), 403, "no CSRF token")
    answer = site.https("DELETE", "/api/v1/session", headers={"Origin": site.origin, "X-CSRF-Token": site.csrf})
    expect(answer.status in (200, 204), f"sign-out: {answer.status} {answer.text()[:200]}")
    expect_status(site.https("GET", "/api/v1/devices"), 401, "the old session after signing out")


def archived_totals(cli, archive, serial):
    """The records a device's downloads added, summed over its downloads, from `archive list`."""
    listing = run([cli, "archive", "list", "--archive", archive]).stdout
    totals, inside = {}, False
    for line in listing.splitlines():
        if line.startswith("device "):
            inside = line.split()[1] == serial
        elif inside and line.lstrip().startswith("download "):
            for kind, count in re.findall(r" (leq1?0?|events|param-changes)=(\d+)", line.split(" covers ")[1]):
                totals[kind] = totals.get(kind, 0) + int(count)
    return totals


def push(site, token, path):
    with open(path, "rb") as f:
        return site.https("POST", "/api/v1/downloads", body=f.read(), session=False,
                          headers={"Content-Type": "application/octet-stream", "Authorization": f"Bearer {token}"})


@check("fleet", "devices pushing overlapping downloads at once through both processes: every record once")
def _(site, state):
    fleet = state["fleet"]
    failures = []

    def send(venue):
        for path in venue["files"] + venue["files"][:1]:
            answer = push(site, venue["token"], path)
            if answer.status not in (200, 201):
                failures.append(f"{path}: {answer.status} {answer.text()[:200]}")

    threads = [threading.Thread(target=send, args=(venue,)) for venue in fleet]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(60)
    expect(not failures, "; ".join(failures))
    for venue in fleet:
        got = archived_totals(state["cli"], state["archive"], venue["serial"])
        want = archived_totals(state["cli"], state["reference"], venue["serial"])
        expect(got == want, f"device {venue['serial']}: {got}, archived one by one: {want}")


@check("fleet", "a token sending another device's file is 403 and that device is unchanged")
def _(site, state):
    first, second = state["fleet"][0], state["fleet"][1]
    before = archived_totals(state["cli"], state["archive"], second["serial"])
    expect_status(push(site, first["token"], second["files"][-1]), 403, "another device's file")
    expect(archived_totals(state["cli"], state["archive"], second["serial"]) == before, "the other device changed")


def raw_upload(site, token, data, before_rest, split):
    """POST data over one TLS connection, calling before_rest() once `split` bytes of the body are sent;
    the status nginx answers, or None when the connection ended without an answer."""
    raw = socket.create_connection(("127.0.0.1", site.https_port), timeout=30)
    with site.context.wrap_socket(raw, server_hostname="localhost") as tls:
        tls.sendall((f"POST /api/v1/downloads HTTP/1.1\r\nHost: localhost\r\nAuthorization: Bearer {token}\r\n"
                     f"Content-Type: application/octet-stream\r\nContent-Length: {len(data)}\r\n"
                     "Connection: close\r\n\r\n").encode() + data[:split])
        before_rest()
        try:
            tls.sendall(data[split:])
            head = tls.recv(64).decode("latin-1")
        except OSError:
            return None
    found = re.match(r"HTTP/1\.1 (\d{3})", head)
    return int(found.group(1)) if found else None


def kill_servers(state):
    for server in state["servers"]:
        server.kill()
        server.wait(10)


@check("fleet", "servers killed mid-upload and mid-import: nothing half stored, the file sent again lands once")
def _(site, state):
    venue = state["cut_venue"]
    before = archived_totals(state["cli"], state["archive"], venue["serial"])
    with open(venue["files"][0], "rb") as f:
        data = f.read()
    # Killed with half the body sent: nginx holds it and finds no server.
    status = raw_upload(site, venue["token"], data, lambda: kill_servers(state), len(data) // 2)
    expect(status is None or status >= 500, f"an upload to killed servers answered {status}")
    expect(archived_totals(state["cli"], state["archive"], venue["serial"]) == before, "a cut upload stored records")
    state["servers"][:] = [state["start"](n) for n in range(len(state["servers"]))]
    # Killed as the whole body has just gone: before, during or after the import, as it happens.
    raw_upload(site, venue["token"], data, lambda: (time.sleep(0.02), kill_servers(state)), len(data))
    state["servers"][:] = [state["start"](n) for n in range(len(state["servers"]))]
    state_dir = os.path.join(state["work"], "push-cut")
    sent = subprocess.run([state["cli"], "push", "--server", f"https://localhost:{site.https_port}", "--ca", site.ca,
                           "--state", state_dir] + venue["files"], capture_output=True, text=True,
                          env=dict(os.environ, VORL_TOKEN=venue["token"]), timeout=90)
    expect(sent.returncode == 0, f"sending again failed: {sent.stdout} {sent.stderr}")
    got = archived_totals(state["cli"], state["archive"], venue["serial"])
    want = archived_totals(state["cli"], state["reference"], venue["serial"])
    expect(got == want, f"device {venue['serial']}: {got}, archived one by one: {want}")
    expect_status(push(site, venue["token"], venue["files"][0]), 200, "the cut file once more")


@check("fleet", "a push while the servers are stopped waits in the queue and lands once when they are back")
def _(site, state):
    state_dir, command, env = cli_push(site, state, "push-stopped")
    for server in state["servers"]:
        stop(server)
    waiting = subprocess.run(command + [state["late_file"]], capture_output=True, text=True, env=env, timeout=90)
    expect(waiting.returncode != 0, "a push to stopped servers succeeded")
    expect(len(os.listdir(os.path.join(state_dir, "pending"))) == 1, "the file does not wait in the queue")
    state["servers"][:] = [state["start"](n) for n in range(len(state["servers"]))]
    sent = subprocess.run(command, capture_output=True, text=True, env=env, timeout=90)
    expect(sent.returncode == 0, f"the queue was not sent: {sent.stdout} {sent.stderr}")
    expect(not os.listdir(os.path.join(state_dir, "pending")), "the file still waits")
    expect_status(push(site, state["token"], state["late_file"]), 200, "the same file once more")


@check("fleet", "with one of the two processes stopped, reads still answer")
def _(site, state):
    first = state["servers"][0]
    first.terminate()
    first.wait(10)
    for _ in range(6):
        expect_status(site.https("GET", "/api/v1/health"), 200, "health with one process left")


@check("limits", "signing in is limited per address long before reading is")
def _(site, state):
    reads = [site.https("GET", "/api/v1/health").status for _ in range(30)]
    expect(reads == [200] * 30, f"30 reads: {reads}")
    # Each try a name of its own: the server's back-off by name stays out of it.
    tries = [site.login(f"personne-{n}", "rien") for n in range(12)]
    limited = [t for t in tries if t.status == 429]
    expect(limited, f"12 sign-ins in a row, none limited: {[t.status for t in tries]}")
    expect(limited[0].json().get("error") == "too_many_requests", f"429 says {limited[0].text()}")


def end_with_this_test():
    """In a child: SIGTERM when the test itself ends, however it ends (a ctest timeout included)."""
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def start_server(program, port, archive, log, origin, with_origin):
    arguments = [program, "serve", "--listen", f"127.0.0.1:{port}", "--archive", archive]
    if with_origin:
        arguments += ["--origin", origin]
    return subprocess.Popen(arguments, stdout=log, stderr=subprocess.STDOUT, preexec_fn=end_with_this_test)


def wait_until_up(process, port, what, log_file, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            with open(log_file, errors="replace") as f:
                raise SystemExit(f"{what} stopped with {process.returncode}:\n{f.read()}")
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return
        except OSError:
            time.sleep(0.1)
    raise SystemExit(f"{what} did not listen on {port} within {seconds} s")


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(5)


def prepare_archive(cli, server_program, work, help_text):
    """An archive of one device's first download, its venue named with markup; the second download is
    kept for the push check."""
    # VORL_HTTPS_ARCHIVE names an empty PostgreSQL database to run every check on instead of a file.
    archive = os.environ.get("VORL_HTTPS_ARCHIVE") or os.path.join(work, "archive.sqlite")
    history = os.path.join(work, "history")
    start = time.strftime("%d/%m/%Y", time.localtime(time.time() - 4 * 7 * 86400))
    files = sorted(run([cli, "generate", "--history", history, "--weeks", "4", "--start", start]).stdout.split())
    run([cli, "archive", "import", files[0], "--archive", archive])
    listing = run([cli, "archive", "list", "--archive", archive]).stdout
    device = re.search(r"^device \S+ generation \d+ id (\d+)", listing, re.M).group(1)
    run([cli, "archive", "venue", "--device", device, "--name", VENUE, "--archive", archive])
    state = {"archive": archive, "device": device, "push_file": files[1], "cli_push_file": files[2], "cli": cli,
             "work": work}
    state["late_file"] = files[3] if len(files) > 3 else files[-1]
    # Two more venues, each with a device of its own: its first download archived by hand (the device
    # then exists and gets a token), all of them archived one by one into a reference archive.
    fleet_dir = os.path.join(work, "fleet")
    # The third venue is kept for the servers killed mid-upload.
    run([cli, "generate", "--fleet", "3", "--out", fleet_dir, "--weeks", "4", "--start", start])
    reference = os.path.join(work, "reference.sqlite")
    state["reference"], state["fleet"] = reference, []
    with open(os.path.join(fleet_dir, "fleet.csv")) as f:
        for line in f.read().splitlines()[1:]:
            folder, _, serial = line.split(";")
            venue_files = sorted(glob.glob(os.path.join(fleet_dir, folder, "*.qlv")))
            run([cli, "archive", "import", venue_files[0], "--archive", archive])
            run([cli, "archive", "import", *venue_files, "--archive", reference])
            state["fleet"].append({"serial": serial, "files": venue_files[1:]})
    state["cut_venue"] = state["fleet"].pop()
    listing = run([cli, "archive", "list", "--archive", archive]).stdout
    for venue in state["fleet"] + [state["cut_venue"]]:
        venue_device = re.search(rf"^device {venue['serial']} generation \d+ id (\d+)", listing, re.M).group(1)
        out = run([server_program, "token", "add", "--device", venue_device, "--archive", archive]).stdout
        venue["token"] = re.search(r"vorl1_\S+", out).group(0)
    run([server_program, "migrate", "--archive", archive])
    run([server_program, "user", "add", "anne", "--role", "admin", "--archive", archive], input=PASSWORD + "\n")
    out = run([server_program, "token", "add", "--device", device, "--archive", archive]).stdout
    state["token"] = re.search(r"vorl1_\S+", out).group(0)
    return state


def main():
    nginx, openssl = shutil.which("nginx") or "/usr/sbin/nginx", shutil.which("openssl")
    if not os.access(nginx, os.X_OK) or not openssl:
        print("nginx or openssl is missing: skipped")
        return SKIP
    bin_dir, shipped_file = sys.argv[1], sys.argv[2]
    work = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp(prefix="vorl-https-")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    cli, server_program = os.path.join(bin_dir, "vorl-cli"), os.path.join(bin_dir, "vorl-server")
    help_text = run([server_program, "--help"]).stdout

    state = prepare_archive(cli, server_program, work, help_text)
    ca, cert, key = make_certificates(work)
    http_port, https_port = free_port(), free_port()
    server_ports = [free_port(), free_port()]
    site = Site(ca, http_port, https_port)

    prefix = os.path.join(work, "nginx")
    os.makedirs(prefix)
    with open(shipped_file) as f:
        site_text = test_site(f.read(), cert, key, http_port, https_port, server_ports)
    with open(os.path.join(prefix, "vorl-server"), "w") as f:
        f.write(site_text)
    # As root, nginx's workers would otherwise be "nobody", who may not enter the work folder.
    user = f"user {pwd.getpwuid(0).pw_name};" if os.geteuid() == 0 else ""
    with open(os.path.join(prefix, "nginx.conf"), "w") as f:
        f.write(f"""{user}
worker_processes 1;
pid {prefix}/nginx.pid;
error_log {prefix}/error.log;
events {{ worker_connections 128; }}
http {{
    access_log {prefix}/access.log;
    client_body_temp_path {prefix}/body;
    proxy_temp_path {prefix}/proxy;
    fastcgi_temp_path {prefix}/fastcgi;
    uwsgi_temp_path {prefix}/uwsgi;
    scgi_temp_path {prefix}/scgi;
    default_type application/octet-stream;
    include {prefix}/vorl-server;
}}
""")
    nginx_command = [nginx, "-p", prefix, "-c", os.path.join(prefix, "nginx.conf"), "-e",
                     os.path.join(prefix, "error.log")]
    tested = subprocess.run(nginx_command + ["-t"], capture_output=True, text=True, timeout=30)
    if tested.returncode != 0:
        print(f"nginx -t refuses the site:\n{tested.stderr}")
        return 1

    processes = []
    failures = []
    try:
        def start(n):
            log_file = os.path.join(work, f"server-{n}.log")
            with open(log_file, "a") as log:
                server = start_server(server_program, server_ports[n], state["archive"], log, site.origin, True)
            processes.append(server)
            wait_until_up(server, server_ports[n], f"vorl-server on {server_ports[n]}", log_file)
            return server

        state["start"] = start
        state["servers"] = [start(n) for n in range(len(server_ports))]
        nginx_log = os.path.join(prefix, "nginx.out")
        with open(nginx_log, "w") as log:
            front = subprocess.Popen(nginx_command + ["-g", "daemon off;"], stdout=log, stderr=subprocess.STDOUT,
                                     preexec_fn=end_with_this_test)
        processes.append(front)
        wait_until_up(front, https_port, "nginx", nginx_log)

        for group, name, function in CHECKS:
            try:
                function(site, state)
                print(f"ok: {name}")
            except (AssertionError, OSError, ValueError, KeyError, http.client.HTTPException) as error:
                failures.append(name)
                print(f"FAILED: {name}: {type(error).__name__}: {error}")
    finally:
        for process in reversed(processes):
            stop(process)
    if failures:
        with open(os.path.join(prefix, "error.log"), errors="replace") as f:
            print("nginx's error log:\n" + f.read()[-3000:])
        print(f"{len(failures)} of {len(CHECKS)} checks failed")
        return 1
    print(f"https checks passed; work folder {work}")
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
