"""Sends one message over SMTP to the lab's Postfix, as any mail client would.

    python3 smtp_send.py PORT SENDER RECIPIENT... < message

Prints the server's answer to the message as "CODE TEXT" (250 when it was
accepted for every recipient) and exits 0; exits 1 when no answer came.
"""
import smtplib
import sys


def main():
    port, sender, recipients = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    message = sys.stdin.buffer.read()
    try:
        with smtplib.SMTP("127.0.0.1", port, timeout=120) as smtp:
            refused = smtp.sendmail(sender, recipients, message)
            print("250 accepted" if not refused else "550 refused for %s" % sorted(refused))
    except smtplib.SMTPResponseException as e:
        text = e.smtp_error.decode("utf-8", "replace") if isinstance(e.smtp_error, bytes) else str(e.smtp_error)
        print("%d %s" % (e.smtp_code, text))
    except smtplib.SMTPRecipientsRefused as e:
        print("550 every recipient refused: %s" % sorted(e.recipients))
    except (OSError, smtplib.SMTPException) as e:
        print("no answer: %s" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
