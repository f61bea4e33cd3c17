"""A radicale server (CalDAV and CardDAV) on a free port of 127.0.0.1, for the
tests of the iCalendar import and of vCard; its storage in the current folder."""
import base64
import os
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request


class Radicale:
    """A radicale server on a free port of 127.0.0.1, its storage here."""

    def __init__(self, fail):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        self.url = "http://127.0.0.1:%d" % port
        self.log = open("radicale.log", "w+")
        self.server = subprocess.Popen(
            [sys.executable, "-m", "radicale", "-C", "", "-H", "127.0.0.1:%d" % port, "--auth-type", "none",
             "--storage-filesystem-folder", os.path.abspath("storage")], stdout=self.log, stderr=subprocess.STDOUT)
        for _ in range(100):
            try:
                self.request("GET", "/")
                return
            except urllib.error.HTTPError:
                return
            except (ConnectionError, urllib.error.URLError):
                if self.server.poll() is not None:
                    break
                time.sleep(0.1)
        self.stop()
        fail("radicale", "the server did not start")

    def request(self, method, path, body=None, content_type="text/calendar; charset=utf-8"):
        # Any user and password log in (--auth-type none); a calendar or an
        # address book is made under the user's own collection.
        headers = {"Authorization": "Basic " + base64.b64encode(b"kalvert:x").decode(), "Content-Type": content_type}
        req = urllib.request.Request(self.url + path, data=body, method=method, headers=headers)
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.read()

    def stop(self):
        self.server.terminate()
        try:
            self.server.wait(10)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()
        self.log.seek(0)
        return self.log.read()
