"""Sends messages over SMTP as a busy site's clients would: several clients at
once, one SMTP session per message, every message accepted or it is an error.

    python3 smtp_load.py PORT CLIENTS < plan

The plan has one message a line: SENDER TAB RECIPIENT[,RECIPIENT...] TAB SUBJECT.
Prints the seconds from the first connection to the last answer; exits 1 when a
message was not accepted (and says why).
"""
import smtplib
import sys
import threading
import time


def main():
    port, clients = int(sys.argv[1]), int(sys.argv[2])
    plan = [line.rstrip("\n").split("\t") for line in sys.stdin if line.strip()]
    failures = []

    def client(part):
        for sender, recipients, subject in part:
            body = ("From: %s\r\nTo: %s\r\nSubject: %s\r\n\r\nFigures for the quarter.\r\n"
                    % (sender, recipients, subject)).encode()
            try:
                with smtplib.SMTP("127.0.0.1", port, timeout=300) as smtp:
                    smtp.sendmail(sender, recipients.split(","), body)
            except (OSError, smtplib.SMTPException) as e:
                failures.append("%s: %s" % (subject, e))

    threads = [threading.Thread(target=client, args=(plan[i::clients],)) for i in range(clients)]
    start = time.monotonic()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print("%.3f" % (time.monotonic() - start))
    for f in failures[:5]:
        print("not accepted: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
