#!/usr/bin/python3
"""Boots a station's test image in QEMU and drives it as a person would: the screen and the
keyboard through QMP. The test image carries a guest agent (virtio serial), the one channel the
test reads results through; a station image has none. Screens are compared with screens of the
same run, never with a fixed picture. A failing step keeps its screenshots.

    boot-test.py IMAGE WORKDIR [--firmware bios|uefi]
"""
import argparse
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import time


class Failure(Exception):
    pass


class Channel:
    """One JSON-per-line socket: QMP or the guest agent."""

    def __init__(self, path, timeout):
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(path)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise Failure(f"no socket {path}")
                time.sleep(0.2)
        self.buffer = b""

    def send(self, message):
        self.sock.sendall(json.dumps(message).encode() + b"\n")

    def receive(self, timeout):
        self.sock.settimeout(timeout)
        while b"\n" not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise Failure("the channel closed")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return json.loads(line.strip(b"\xff") or b"{}")


class Qmp(Channel):
    def __init__(self, path):
        super().__init__(path, 30)
        self.receive(30)  # greeting
        self.execute("qmp_capabilities")

    def execute(self, command, **arguments):
        self.send({"execute": command, "arguments": arguments})
        while True:
            reply = self.receive(60)
            if "return" in reply:
                return reply["return"]
            if "error" in reply:
                raise Failure(f"QMP {command}: {reply['error']}")


class Agent:
    """The guest agent; each call on a fresh connection, as the agent may have restarted."""

    def __init__(self, path):
        self.path = path

    def call(self, command, timeout=10, **arguments):
        channel = Channel(self.path, 5)
        try:
            token = int(time.monotonic() * 1000) % 2**31
            channel.sock.sendall(b"\xff")
            channel.send({"execute": "guest-sync-delimited", "arguments": {"id": token}})
            while channel.receive(timeout).get("return") != token:
                pass
            message = {"execute": command}
            if arguments:
                message["arguments"] = arguments
            channel.send(message)
            reply = channel.receive(timeout)
        finally:
            channel.sock.close()
        if "error" in reply:
            raise Failure(f"guest agent {command}: {reply['error']}")
        return reply.get("return")

    def alive(self):
        try:
            self.call("guest-ping", timeout=3)
            return True
        except (Failure, OSError, ValueError):
            return False

    def run(self, *argv):
        pid = self.call("guest-exec", path=argv[0], arg=list(argv[1:]), **{"capture-output": True})["pid"]
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            status = self.call("guest-exec-status", pid=pid)
            if status.get("exited"):
                out = base64.b64decode(status.get("out-data", "")).decode("utf-8", "replace")
                return status.get("exitcode", -1), out
            time.sleep(0.3)
        raise Failure(f"{' '.join(argv)} did not end in the guest")

    def read(self, path):
        code, out = self.run("/usr/bin/base64", "-w0", path)
        return base64.b64decode(out) if code == 0 else None


class Station:
    def __init__(self, image, work, firmware):
        self.work = work
        self.shots = 0
        overlay = os.path.join(work, "disk.qcow2")
        subprocess.run(["qemu-img", "create", "-q", "-f", "qcow2", "-F", "raw", "-b",
                        os.path.abspath(image), overlay], check=True)
        accel = ["-accel", "kvm"] if os.access("/dev/kvm", os.W_OK) else ["-accel", "tcg"]
        firmware_args = []
        if firmware == "uefi":
            vars_copy = os.path.join(work, "OVMF_VARS.fd")
            shutil.copy("/usr/share/OVMF/OVMF_VARS_4M.fd", vars_copy)
            firmware_args = ["-drive", "if=pflash,format=raw,readonly=on,file=/usr/share/OVMF/OVMF_CODE_4M.fd",
                             "-drive", f"if=pflash,format=raw,file={vars_copy}"]
        self.qmp_path = os.path.join(work, "qmp.sock")
        self.agent = Agent(os.path.join(work, "qga.sock"))
        self.console = open(os.path.join(work, "serial.log"), "wb")
        self.qemu = subprocess.Popen(
            ["qemu-system-x86_64", *accel, "-machine", "q35", "-m", "1024", "-smp", "2",
             *firmware_args,
             "-drive", f"file={overlay},format=qcow2,if=virtio",
             "-vga", "std", "-display", "none", "-device", "virtio-tablet-pci",
             "-qmp", f"unix:{self.qmp_path},server=on,wait=off",
             "-chardev", f"socket,path={self.agent.path},server=on,wait=off,id=qga0",
             "-device", "virtio-serial", "-device", "virtserialport,chardev=qga0,name=org.qemu.guest_agent.0",
             "-serial", "null", "-nic", "none"],
            stdout=self.console, stderr=subprocess.STDOUT)
        self.qmp = Qmp(self.qmp_path)

    def stop(self):
        if self.qemu.poll() is None:
            self.qemu.kill()
        self.qemu.wait()

    def screen(self, name=None):
        self.shots += 1
        path = os.path.join(self.work, f"{self.shots:03d}-{name or 'screen'}.ppm")
        self.qmp.execute("screendump", filename=path)
        with open(path, "rb") as f:
            data = f.read()
        if name is None:
            os.remove(path)
        return data

    def keys(self, *chords):
        for chord in chords:
            self.qmp.execute("send-key", keys=[{"type": "qcode", "data": k} for k in chord.split("-")])
            time.sleep(0.15)

    def type(self, text):
        names = {"-": "minus", "/": "slash", "\n": "ret", " ": "spc"}
        for c in text:
            self.keys(names.get(c, c))

    def menu_pid(self):
        """The menu's process id in the guest; None while there is none (or no agent yet)."""
        if not self.agent.alive():
            return None
        try:
            code, out = self.agent.run(
                "/bin/sh", "-c",
                'for d in /proc/[0-9]*; do [ "$(cat $d/comm 2>/dev/null)" = rulevion-menu ] '
                '&& echo ${d#/proc/}; done')
        except Failure:
            return None
        return out.split()[0] if code == 0 and out.split() else None


def differing(a, b):
    """The share of bytes that differ between two screendumps of one size; 1 when sizes differ."""
    if len(a) != len(b):
        return 1.0
    step = 7
    samples = range(0, len(a), step)
    return sum(1 for i in samples if a[i] != b[i]) / len(samples)


def wait(what, predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(1)
    raise Failure(f"{what}: not within {seconds} s")


def stable_screen(station, seconds):
    """A screen that stays the same between two looks; the caret may blink, nothing else."""
    def look():
        first = station.screen()
        time.sleep(1.5)
        second = station.screen()
        return second if differing(first, second) < 0.002 else None
    return wait("a still screen", look, seconds)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("image")
    parser.add_argument("work")
    parser.add_argument("--firmware", choices=["bios", "uefi"], default="bios")
    parser.add_argument("--boot-seconds", type=int, default=600)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    results = []
    station = Station(args.image, args.work, args.firmware)
    step_name = "boot"

    def step(name):
        nonlocal step_name
        step_name = name
        print(f"--- {name}", flush=True)

    try:
        started = time.monotonic()
        step(f"boot ({args.firmware}) into the menu")
        first_pid = wait("the menu", station.menu_pid, args.boot_seconds)
        menu = stable_screen(station, 120)
        boot_time = time.monotonic() - started
        print(f"menu after {boot_time:.0f} s", flush=True)
        station.screen("menu")

        step("12345 signs in and db1.out holds his six lines")
        station.type("12345\n")
        lines = wait("db1.out", lambda: station.agent.read("/srv/station/db1.out"), 60)
        text = lines.decode("cp1251")
        if text.split("\r\n")[:4] != ["Иванов Пётр Сергеевич", "1", "Группа 7А", "12345"] or text.count("\r\n") != 6:
            raise Failure(f"db1.out holds {text!r}")

        step("a Cyrillic number typed with Alt+Shift signs in")
        station.agent.run("/usr/bin/rm", "-f", "/srv/station/db1.out")
        station.keys("ctrl-a", "backspace", "alt-shift", "shift-p", "shift-r", "alt-shift")
        station.type("-2024/5\n")
        lines = wait("db1.out", lambda: station.agent.read("/srv/station/db1.out"), 60)
        if not lines.decode("cp1251").startswith("Лебедева Екатерина Андреевна\r\n"):
            raise Failure(f"db1.out holds {lines.decode('cp1251')!r}")
        station.keys("ctrl-a", "backspace")
        menu = stable_screen(station, 60)

        step("the escapes lead nowhere")
        for chord in ["ctrl-alt-f2", "ctrl-alt-backspace", "alt-f4", "alt-tab", "ctrl-alt-delete", "ctrl-alt-f1"]:
            station.keys(chord)
        time.sleep(2)
        after = stable_screen(station, 60)
        if differing(menu, after) > 0.01:
            station.screen("escaped")
            raise Failure("the screen changed after the escapes")
        if station.menu_pid() != first_pid:
            raise Failure("the escapes ended the menu")

        step("positive control: a console switch would be seen")
        station.agent.run("/usr/bin/chvt", "2")
        console = stable_screen(station, 60)
        if differing(menu, console) < 0.05:
            raise Failure("a console switch does not show on the screen, so the escapes prove nothing")
        station.agent.run("/usr/bin/chvt", "7")
        wait("the menu back on its console", lambda: differing(menu, stable_screen(station, 60)) < 0.01, 60)

        step("Esc ends the session and nodm brings the menu back")
        station.keys("esc")
        wait("a new menu", lambda: (lambda p: p and p != first_pid and p)(station.menu_pid()), 180)
        stable_screen(station, 120)

        step("a reboot comes back into the menu")
        station.agent.call("guest-shutdown", mode="reboot")
        time.sleep(5)
        started = time.monotonic()
        wait("the menu after the reboot", station.menu_pid, args.boot_seconds)
        stable_screen(station, 120)
        print(f"menu after the reboot in {time.monotonic() - started:.0f} s", flush=True)
        print(f"PASS: boot into the menu {boot_time:.0f} s ({args.firmware})")
        return 0
    except (Failure, OSError, ValueError) as e:
        try:
            station.screen("failed-" + step_name.split()[0])
        except Exception:  # the machine may be gone
            pass
        print(f"FAIL: {step_name}: {e}; screenshots in {args.work}", file=sys.stderr)
        return 1
    finally:
        station.stop()


if __name__ == "__main__":
    sys.exit(main())
