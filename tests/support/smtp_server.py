#!/usr/bin/python3
"""A submission server for the mail tests, on 127.0.0.1 and a free port.

Prints the port on the first line of stdout once it accepts connections. Each message
received is decoded with Python's own e-mail parser and written to <dir>/<n>.json
(envelope, decoded headers and body, raw header lines); each AUTH attempt is appended to
<dir>/auth.log as "<login> <ok|refused> <tls|plain>".

--hold data keeps a message and then holds back the reply to its end of data; --hold quit
holds back the reply to QUIT. Either way the server stays silent for an hour.
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--user", required=True)
    p.add_argument("--password", required=True)
    p.add_argument("--no-starttls", action="store_true")
    p.add_argument("--hold", choices=["data", "quit"])
    a = p.parse_args()

    counter = {"n": 0}

    def log_auth(line):
        with open(os.path.join(a.dir, "auth.log"), "a", encoding="utf-8") as f:
            f.write(line + "\n")

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == a.user.encode()
              and auth_data.password == a.password.encode())
        login = auth_data.login.decode(errors="replace") if isinstance(auth_data, LoginPassword) else "?"
        log_auth("%s %s %s" % (login, "ok" if ok else "refused", "tls" if session.ssl else "plain"))
        return AuthResult(success=ok, handled=False)

    class Handler:
        async def handle_DATA(self, server, session, envelope):
            raw = envelope.original_content or envelope.content
            msg = email.message_from_bytes(raw, policy=email.policy.default)
            head, _, _ = raw.partition(b"\r\n\r\n")
            frm = msg["From"].addresses[0] if msg["From"] else None
            to = msg["To"].addresses[0] if msg["To"] else None
            record = {
                "mail_from": envelope.mail_from,
                "rcpt_tos": envelope.rcpt_tos,
                "tls": bool(session.ssl),
                "authenticated": bool(session.authenticated),
                "from_name": frm.display_name if frm else None,
                "from_addr": frm.addr_spec if frm else None,
                "to_name": to.display_name if to else None,
                "to_addr": to.addr_spec if to else None,
                "subject": str(msg["Subject"]),
                "content_type": msg.get_content_type(),
                "charset": msg.get_content_charset(),
                "body": msg.get_content(),
                "header_lines": head.decode("ascii", errors="replace").split("\r\n"),
                "max_line_length": max(len(l) for l in raw.split(b"\r\n")),
                "defects": [str(d) for d in msg.defects] +
                           [str(d) for h in msg.values() for d in getattr(h, "defects", [])],
            }
            counter["n"] += 1
            path = os.path.join(a.dir, "%d.json" % counter["n"])
            with open(path + ".tmp", "w", encoding="utf-8") as f:
                json.dump(record, f, ensure_ascii=False)
            os.replace(path + ".tmp", path)
            if a.hold == "data":
                await asyncio.sleep(3600)
            return "250 OK"

    kwargs = dict(authenticator=authenticator, auth_required=True)
    if a.no_starttls:
        # Would accept a login in clear, so a client that sent one shows up in auth.log.
        kwargs.update(auth_require_tls=False)
    else:
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(a.cert, a.key)
        kwargs.update(tls_context=ctx, require_starttls=True, auth_require_tls=True)

    class Server(SMTP):
        async def smtp_QUIT(self, arg):
            if a.hold == "quit":
                await asyncio.sleep(3600)
            return await super().smtp_QUIT(arg)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(
        lambda: Server(Handler(), hostname="localhost", **kwargs), host="127.0.0.1", port=0))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
