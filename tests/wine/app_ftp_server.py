#!/usr/bin/python3
"""The FTP peer of Velmira32's end-to-end test: pyftpdlib on HOST:21 serving
ROOT, user "bob" with password "secret". The same server stands in for a
gateway: a login as "bob@HOST" (what a gateway login sends) is accepted too.
A wrong password is answered at once.

usage: app_ftp_server.py HOST ROOT
"""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    host, root = sys.argv[1], sys.argv[2]
    authorizer = DummyAuthorizer()
    authorizer.add_user("bob", "secret", root, perm="elradfmwMT")
    authorizer.add_user("bob@" + host, "secret", root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0
    handler.banner = "Velmira test server ready."
    server = FTPServer((host, 21), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
