#!/usr/bin/python3
"""Boots a station's test image in QEMU and drives it as a person would: the screen and the
keyboard through QMP. The test image carries a guest agent (virtio serial), the one channel the
test reads results through; a station image has none. Screens are compared with screens of the
same run, never with a fixed picture. A failing step keeps its screenshots.

    boot-test.py IMAGE WORKDIR [--firmware bios|uefi] [--steps all|boot]

--steps boot only boots into the menu and signs a student in (the second firmware needs no more).
"""
import argparse
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import struct
import time
import zlib


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

    def call(self, command, timeout=10, reply=True, **arguments):
        """reply=False: for a command that answers nothing when it works (guest-shutdown)."""
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
            if not reply:
                return None
            answer = channel.receive(timeout)
        finally:
            channel.sock.close()
        if "error" in answer:
            raise Failure(f"guest agent {command}: {answer['error']}")
        return answer.get("return")

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


class Screen:
    """One screendump: its size and its pixels."""

    def __init__(self, ppm):
        fields = ppm.split(None, 4)
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[len(ppm) - self.width * self.height * 3:]

    def png(self):
        """The screen as PNG, for people to look at."""
        row = self.width * 3
        raw = b"".join(b"\0" + self.pixels[y * row:(y + 1) * row] for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
                + chunk(b"IEND", b""))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]


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
        self.console = open(os.path.join(work, "qemu.log"), "wb")
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

    def screen(self, keep_as=None):
        """The screen now; keep_as also keeps it as WORKDIR/NNN-keep_as.png."""
        path = os.path.join(self.work, "screen.ppm")
        self.qmp.execute("screendump", filename=path)
        with open(path, "rb") as f:
            shot = Screen(f.read())
        os.remove(path)
        if keep_as:
            self.shots += 1
            with open(os.path.join(self.work, f"{self.shots:03d}-{keep_as}.png"), "wb") as f:
                f.write(shot.png())
        return shot

    def keys(self, *chords):
        for chord in chords:
            self.qmp.execute("send-key", keys=[{"type": "qcode", "data": k} for k in chord.split("-")])
            time.sleep(0.15)

    def type(self, text):
        names = {"-": "minus", "/": "slash", "\n": "ret", " ": "spc"}
        for c in text:
            self.keys(names.get(c, c))

    def point(self, screen, x, y):
        """The pointer to a pixel of the screen, through the tablet (absolute, 0…32767)."""
        events = [{"type": "abs", "data": {"axis": "x", "value": x * 32767 // (screen.width - 1)}},
                  {"type": "abs", "data": {"axis": "y", "value": y * 32767 // (screen.height - 1)}}]
        self.qmp.execute("input-send-event", events=events)
        time.sleep(0.2)

    def click(self, screen, x, y):
        """A left click; then the pointer rests on the sky, where it lights up no button."""
        self.point(screen, x, y)
        for down in (True, False):
            self.qmp.execute("input-send-event", events=[{"type": "btn", "data": {"down": down, "button": "left"}}])
            time.sleep(0.1)
        self.point(screen, screen.width * 3 // 4, screen.height // 4)

    def menu_pid(self):
        """The menu's process id in the guest; None while there is none (or no agent yet)."""
        if not self.agent.alive():
            return None
        try:
            code, out = self.agent.run(
                "/bin/sh", "-c",
                'for d in /proc/[0-9]*; do [ "$(cat $d/comm 2>/dev/null)" = rulevion-menu ] '
                '&& echo ${d#/proc/}; done; exit 0')
        except (Failure, OSError, ValueError):  # the agent went away (a reboot, say)
            return None
        return out.split()[0] if code == 0 and out.split() else None


def differing(a, b):
    """The share of sampled pixels that differ between two screens; 1 when their sizes differ."""
    if len(a.pixels) != len(b.pixels):
        return 1.0
    samples = range(0, len(a.pixels), 21)
    return sum(1 for i in samples if a.pixels[i:i + 3] != b.pixels[i:i + 3]) / len(samples)


def top_button(screen, index):
    """Where to click the top row's button number index (0…3): the four share the panel's width,
    which is the screen's; the row is the first band of light grey button face down the column."""
    x = screen.width * index // 4 + screen.width // 40
    run = 0
    for y in range(screen.height // 3):
        r, g, b = screen.pixel(x, y)
        if min(r, g, b) > 200 and max(r, g, b) - min(r, g, b) < 24:
            run += 1
            if run == 12:
                return x + screen.width // 16, y
        else:
            run = 0
    raise Failure(f"no button face in the top row at x {x}")


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


def screen_unlike(station, reference, what, seconds, share=0.005):
    """Waits for a still screen that differs from reference: a window opened or closed."""
    return wait(what, lambda: (lambda s: s if differing(reference, s) > share else None)(
        stable_screen(station, seconds)), seconds)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("image")
    parser.add_argument("work")
    parser.add_argument("--firmware", choices=["bios", "uefi"], default="bios")
    parser.add_argument("--steps", choices=["all", "boot"], default="all")
    parser.add_argument("--boot-seconds", type=int, default=600)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    station = Station(args.image, args.work, args.firmware)
    agent = station.agent
    step_name = "boot"
    step_started = time.monotonic()

    def step(name):
        nonlocal step_name, step_started
        now = time.monotonic()
        print(f"--- {name}", flush=True)
        step_name, step_started = name, now

    def new_menu(old_pid, seconds=120):
        """Waits for a menu other than old_pid, and for its screen to settle."""
        pid = wait("the menu back", lambda: (lambda p: p if p and p != old_pid else None)(station.menu_pid()),
                   seconds)
        return pid, stable_screen(station, 120)

    def signed_in(expected_first_line, typing):
        agent.run("/usr/bin/rm", "-f", "/srv/station/db1.out")
        typing()
        data = wait("db1.out", lambda: agent.read("/srv/station/db1.out"), 60)
        text = data.decode("cp1251")
        if text.count("\r\n") != 6 or text.split("\r\n")[0] != expected_first_line:
            raise Failure(f"db1.out holds {text!r}")
        return text

    def ran(name):
        code, out = agent.run("/bin/sh", "-c", "cat /var/tmp/station-test-commands 2>/dev/null; exit 0")
        return name in out.split()

    try:
        started = time.monotonic()
        step(f"boot ({args.firmware}) into the menu")
        pid = wait("the menu", station.menu_pid, args.boot_seconds)
        menu = stable_screen(station, 180)
        boot_time = time.monotonic() - started
        print(f"menu after {boot_time:.0f} s", flush=True)
        station.screen("menu")

        step("12345 signs in and db1.out holds his six lines")
        text = signed_in("Иванов Пётр Сергеевич", lambda: station.type("12345\n"))
        if text.split("\r\n")[1:4] != ["1", "Группа 7А", "12345"]:
            raise Failure(f"db1.out holds {text!r}")
        if args.steps == "boot":
            print(f"PASS: boot into the menu {boot_time:.0f} s ({args.firmware})")
            return 0

        step("«В о з в р а т» brings a fresh menu")
        station.click(menu, *top_button(menu, 1))
        pid, screen = new_menu(pid)
        if differing(menu, screen) > 0.01:
            raise Failure("the fresh menu does not look like the first one")

        step("a Cyrillic number typed with Alt+Shift signs in")
        signed_in("Лебедева Екатерина Андреевна",
                  lambda: (station.keys("alt-shift", "shift-p", "shift-r", "alt-shift"),
                           station.type("-2024/5\n")))
        station.click(menu, *top_button(menu, 1))
        pid, screen = new_menu(pid)

        step("the trainer's wrong password is refused")
        station.click(menu, *top_button(menu, 2))
        dialog = screen_unlike(station, menu, "the trainer's dialog", 60)
        station.type("9999\n")
        screen_unlike(station, dialog, "the box of the wrong password", 60, 0.002)
        station.screen("wrong-password")
        station.keys("ret")
        wait("the menu after the box", lambda: differing(menu, stable_screen(station, 60)) < 0.01, 60)
        if station.menu_pid() != pid or ran("trainer"):
            raise Failure("a wrong password let the trainer in")

        step("the trainer's right password runs the trainer's command, and the menu comes back")
        station.click(menu, *top_button(menu, 2))
        screen_unlike(station, menu, "the trainer's dialog", 60)
        station.type("1234\n")
        wait("the trainer's command", lambda: ran("trainer"), 120)
        pid, screen = new_menu(pid)

        step("«Ездовые упражнения» runs the exercises command, and the menu comes back")
        station.keys("tab", "tab", "spc")
        wait("the exercises command", lambda: ran("exercises"), 120)
        pid, screen = new_menu(pid)
        if differing(menu, screen) > 0.01:
            raise Failure("the menu after the exercises does not look like the first one")

        step("the escapes lead nowhere")
        for chord in ["ctrl-alt-f2", "ctrl-alt-backspace", "alt-f4", "alt-tab", "ctrl-alt-delete",
                      "ctrl-alt-f1", "alt-f2"]:
            station.keys(chord)
        time.sleep(2)
        after = stable_screen(station, 60)
        if differing(menu, after) > 0.01:
            station.screen("escaped")
            raise Failure("the screen changed after the escapes")
        if station.menu_pid() != pid:
            raise Failure("the escapes ended the menu")

        step("positive control: a console switch would be seen")
        agent.run("/usr/bin/chvt", "2")
        console = stable_screen(station, 60)
        if differing(menu, console) < 0.05:
            raise Failure("a console switch does not show on the screen, so the escapes prove nothing")
        agent.run("/usr/bin/chvt", "7")
        wait("the menu back on its console", lambda: differing(menu, stable_screen(station, 60)) < 0.01, 60)

        step("Esc ends the session and nodm brings the menu back")
        station.keys("esc")
        pid, screen = new_menu(pid, 240)
        if differing(menu, screen) > 0.01:
            raise Failure("the menu of the new session does not look like the first one")

        step("a reboot comes back into the menu")
        agent.call("guest-shutdown", reply=False, mode="reboot")
        wait("the menu to go", lambda: not station.menu_pid(), 120)
        started = time.monotonic()
        pid = wait("the menu after the reboot", station.menu_pid, args.boot_seconds)
        screen = stable_screen(station, 180)
        if differing(menu, screen) > 0.01:
            raise Failure("the menu after the reboot does not look like the first one")
        print(f"menu after the reboot in {time.monotonic() - started:.0f} s", flush=True)
        print(f"PASS: boot into the menu {boot_time:.0f} s ({args.firmware}), every step")
        return 0
    except (Failure, OSError, ValueError) as e:
        try:
            station.screen("failed")
        except Exception:  # the machine may be gone
            pass
        print(f"FAIL: {step_name} (after {time.monotonic() - step_started:.0f} s): {e}; "
              f"screenshots in {args.work}", file=sys.stderr)
        return 1
    finally:
        station.stop()


if __name__ == "__main__":
    sys.exit(main())
