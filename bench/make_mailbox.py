#!/usr/bin/env python3
"""Writes the benchmark mailbox as a maildir: a seeded mix of text mails, some
Cyrillic in quoted-printable or KOI8-R, and a few with large base64
attachments. The same seed gives the same bytes.

usage: make_mailbox.py MAILDIR [--seed N] [--text 490] [--attachments 10]
"""
import argparse
import base64
import os
import quopri
import random

WORDS = ("report meeting invoice schedule server backup update review budget draft "
         "письмо отчёт встреча счёт сервер обновление проект бюджет").split()


def paragraph(rng, words):
    return " ".join(rng.choice(WORDS) for _ in range(words))


def text_lines(rng, size):
    lines, total = [], 0
    while total < size:
        line = paragraph(rng, rng.randint(6, 12))
        if rng.random() < 0.02:
            line = "." + line  # a line the server must dot-stuff
        lines.append(line)
        total += len(line.encode()) + 2
    return lines


def header(rng, number, content_type, extra=""):
    return (f"Return-Path: <sender{number}@example.org>\r\n"
            f"Message-ID: <{number}.{rng.getrandbits(48):x}@example.org>\r\n"
            f"Date: Mon, {1 + number % 28} Jan 2024 10:{number % 60:02d}:00 +0300\r\n"
            f"From: Sender {number} <sender{number}@example.org>\r\n"
            f"To: bob@example.org\r\n"
            f"Subject: =?koi8-r?B?{base64.b64encode(('Тема ' + str(number)).encode('koi8-r')).decode()}?=\r\n"
            f"MIME-Version: 1.0\r\n{extra}Content-Type: {content_type}\r\n")


def text_mail(rng, number):
    lines = text_lines(rng, rng.randint(4 * 1024, 44 * 1024))
    kind = rng.choice(("plain", "qp", "koi8"))
    if kind == "plain":
        body = "\r\n".join(line.encode("utf-8").decode("latin-1") for line in lines if line.isascii()) or "text"
        head = header(rng, number, "text/plain; charset=us-ascii")
        return (head + "\r\n" + body + "\r\n").encode("latin-1")
    if kind == "qp":
        raw = "\r\n".join(lines).encode("windows-1251")
        head = header(rng, number, "text/plain; charset=windows-1251", "Content-Transfer-Encoding: quoted-printable\r\n")
        body = quopri.encodestring(raw).replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        return head.encode() + b"\r\n" + body + b"\r\n"
    head = header(rng, number, "text/plain; charset=koi8-r", "Content-Transfer-Encoding: 8bit\r\n")
    return head.encode() + b"\r\n" + "\r\n".join(lines).encode("koi8-r") + b"\r\n"


def attachment_mail(rng, number, size):
    data = rng.randbytes(size)
    encoded = base64.b64encode(data)
    wrapped = b"\r\n".join(encoded[i:i + 76] for i in range(0, len(encoded), 76))
    head = header(rng, number, 'multipart/mixed; boundary="part-boundary"')
    text = "\r\n".join(text_lines(rng, 2048)).encode("windows-1251")
    return (head.encode() + b"\r\n--part-boundary\r\nContent-Type: text/plain; charset=windows-1251\r\n\r\n" + text +
            f"\r\n--part-boundary\r\nContent-Type: application/octet-stream; name=\"file{number}.bin\"\r\n"
            f"Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"file{number}.bin\"\r\n\r\n"
            .encode() + wrapped + b"\r\n--part-boundary--\r\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("maildir")
    parser.add_argument("--seed", type=int, default=20240101)
    parser.add_argument("--text", type=int, default=490)
    parser.add_argument("--attachments", type=int, default=10)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    total = args.text + args.attachments
    # The attachments (1 MiB, 2 MiB, ...) sit evenly among the text mails.
    with_file = {round((k + 0.5) * total / args.attachments): k + 1 for k in range(args.attachments)}
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(args.maildir, sub), exist_ok=True)
    written = 0
    for number in range(1, total + 1):
        mail = attachment_mail(rng, number, with_file[number] << 20) if number in with_file else text_mail(rng, number)
        name = f"{1700000000 + number}.M{number}P1.bench:2,"
        with open(os.path.join(args.maildir, "cur", name), "wb") as out:
            out.write(mail)
        written += len(mail)
    print(f"{total} messages, {written / 1e6:.1f} MB in {args.maildir}")


if __name__ == "__main__":
    main()
