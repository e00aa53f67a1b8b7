#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A start without an update host asks no one for updates: traced with strace
(seccomp-bpf, so the program runs at nearly full speed) from its start with
--demo until its first forecast is kept, it connects to nothing but the
loopback, the X server and the session bus, and never reaches a resolver (no
packet to port 53, no resolver daemon's socket). The same start with an update
host that needs a name looked up shows that query: the check can fail.

Usage (on a private desktop): desktop-no-lookup.py PROGRAM
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import fail, wait_until  # noqa: E402

# A name under a reserved top-level domain: it can only be looked up, never reached.
UPDATE_NAME = "updates.nimbrell.test"
ADDRESS_CALL = re.compile(r"\b(connect|sendto|sendmsg|sendmmsg|bind)\((.*)")
INET = re.compile(r"sa_family=AF_INET6?, sin6?_port=htons\((\d+)\)")
INET4_ADDRESS = re.compile(r'inet_addr\("([0-9.]+)"\)')
INET6_ADDRESS = re.compile(r'inet_pton\(AF_INET6, "([^"]+)"')
UNIX_PATH = re.compile(r'sun_path=@?"([^"]*)"')


def loopback(line):
    four = INET4_ADDRESS.search(line)
    if four:
        return four.group(1).startswith("127.")
    six = INET6_ADDRESS.search(line)
    return bool(six) and (six.group(1) == "::1" or six.group(1).startswith("::ffff:127."))


def what_reaches_out(log):
    """The traced calls that reach past the loopback, the X server and the bus,
    or reach a resolver."""
    found = []
    for line in log.splitlines():
        call = ADDRESS_CALL.search(line)
        if not call:
            continue
        if "htons(53)" in line:
            found.append(line)
            continue
        port = INET.search(line)
        if port and call.group(1) != "bind" and not loopback(line):
            found.append(line)
            continue
        path = UNIX_PATH.search(line)
        if path and ("nscd" in path.group(1) or "resolve" in path.group(1)):
            found.append(line)
    return found


def traced_start(program, arguments, until):
    """The program's network calls from its start until `until(folder, output)`
    holds, then SIGTERM."""
    folder = tempfile.mkdtemp()
    try:
        environment = {name: value for name, value in os.environ.items()
                       if not name.lower().endswith("_proxy") and name != "DBUS_SESSION_BUS_ADDRESS"}
        environment.update(XDG_CONFIG_HOME=os.path.join(folder, "config"), XDG_CACHE_HOME=os.path.join(folder, "cache"),
                           XDG_RUNTIME_DIR=folder, HOME=folder)
        environment.pop("TEMP", None)
        environment.pop("NIMBRELL_UPDATE_HOST", None)
        log_file = os.path.join(folder, "strace.log")
        errors = open(os.path.join(folder, "stderr.txt"), "w+")
        tracer = subprocess.Popen(["strace", "-f", "--seccomp-bpf", "-e", "trace=%network", "-o", log_file,
                                   program, "--demo", *arguments], env=environment, stderr=errors)

        def output():
            errors.flush()
            errors.seek(0)
            return errors.read()
        reached = wait_until(lambda: until(folder, output()), 60)
        # Closed as a user would; strace ends with the program it runs.
        with open("/proc/%d/task/%d/children" % (tracer.pid, tracer.pid)) as children:
            for pid in children.read().split():
                os.kill(int(pid), signal.SIGTERM)
        try:
            tracer.wait(20)
        except subprocess.TimeoutExpired:
            tracer.kill()
            tracer.wait()
            fail("the program did not end on SIGTERM:\n" + output())
        if not reached:
            fail("the program did not get as far as expected:\n" + output())
        with open(log_file) as log:
            return log.read()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def forecast_kept(folder, output):
    return os.path.exists(os.path.join(folder, "cache", "nimbrell", "keptForecast.txt"))


def main():
    program = sys.argv[1]
    if shutil.which("strace") is None:
        fail("strace is missing (scripts/install-deps.sh installs it)")

    log = traced_start(program, [], forecast_kept)
    if "connect(" not in log:
        fail("strace saw no connection at all: the trace does not work\n" + log)
    reaching = what_reaches_out(log)
    if reaching:
        fail("without an update host the start reached out:\n" + "\n".join(reaching))

    # With an update host by name the lookup shows, so the check above can see one.
    log = traced_start(program, ["--update-host", UPDATE_NAME],
                       lambda folder, output: forecast_kept(folder, output) and "fetching http://" + UPDATE_NAME in output)
    if not what_reaches_out(log):
        fail("with the update host %s no lookup showed in the trace:\n%s" % (UPDATE_NAME, log))
    print("no lookup: without an update host the start reaches only the loopback, the X server and the bus;"
          " with one by name its lookup shows")


if __name__ == "__main__":
    main()
