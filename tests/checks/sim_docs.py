#!/usr/bin/env python3
"""Every logger-simulator command and option the README and the user guide name works as written.

Usage: sim_docs.py KORVANTA_SIM README.md help/en/index.html

- every command line that starts korvanta-sim (by its path) is run as written (with this build's program):
  it must print its KORVANTA_EXTRA_PORTS line;
- every option written in the text around the simulator must be one korvanta-sim --help lists,
  and an option given with a value (`--signal step`, `--lesson cart|pendulum`) must start the
  simulator with that value (each alternative of a|b|c).
"""
import html
import re
import signal
import subprocess
import sys
import time

OPTION = re.compile(r"--[a-z][a-z0-9-]*")


def paragraphs(path):
    text = open(path, encoding="utf-8").read()
    if path.endswith(".html"):
        text = re.sub(r"</?(p|pre|li|h\d)[^>]*>", "\n\n", text)
        text = html.unescape(re.sub(r"<(?!/?code)[^>]+>", "", text))
        text = re.sub(r"</?code>", "`", text)
    return [p for p in re.split(r"\n\s*\n", text) if p.strip()]


def starts(sim, args, seconds=10):
    """Whether korvanta-sim with args prints its port line; the reason when it does not."""
    proc = subprocess.Popen([sim, "--quiet"] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + seconds
    try:
        while time.monotonic() < deadline:
            line = proc.stdout.readline()
            if line.startswith("KORVANTA_EXTRA_PORTS="):
                return None
            if not line and proc.poll() is not None:
                return "exited %d: %s" % (proc.returncode, proc.stderr.read().strip())
        return "no port line within %d s" % seconds
    finally:
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            proc.wait(5)


def main():
    sim, docs = sys.argv[1], sys.argv[2:]
    known = set(OPTION.findall(subprocess.run([sim, "--help"], capture_output=True, text=True).stdout))
    problems = []
    for doc in docs:
        for para in paragraphs(doc):
            for line in para.splitlines():
                words = [w for w in line.split("#")[0].split() if "=" not in w]
                if words and words[0].endswith("/korvanta-sim"):
                    reason = starts(sim, words[1:])
                    if reason:
                        problems.append("%s: `%s`: %s" % (doc, line.strip(), reason))
            if "simulat" not in para or "terravox" in para.lower():
                continue
            for snippet in re.findall(r"`(--[^`]*)`", para):
                words = snippet.split()
                for option in OPTION.findall(snippet):
                    if option not in known:
                        problems.append("%s: %s is not an option of korvanta-sim" % (doc, option))
                if len(words) == 2 and words[0] in known:
                    for value in words[1].split("|"):
                        args = [words[0], value] + ([] if words[0] == "--model" else ["--model", "pelorin"])
                        reason = starts(sim, args)
                        if reason:
                            problems.append("%s: `%s %s`: %s" % (doc, words[0], value, reason))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
