#!/usr/bin/env python3
"""Builds the Debian package from a build folder and checks it as Debian's tools and a user see it.

    check_package.py --build DIR --version X.Y.Z --source DIR [--keep DIR]

1. builds what the package holds (target package_contents) and runs cpack -G DEB;
2. checks the control fields (Depends against the libraries the programs really load), the
   file list with its modes and owners, and that nothing goes to udev, /etc or a maintainer
   script;
3. unpacks the package into a temporary root (dpkg-deb -x) and runs each program's --help and
   --version from there; starts the unpacked window offscreen to see that it makes its program
   folder in the user's data folder and writes nothing beside itself; runs one download of the
   unpacked sondrel-cli from the unpacked simulator (--demo finds it beside the program);
4. runs lintian (errors fail, and so does any warning not listed below), desktop-file-validate
   and appstreamcli validate --no-net.

Exits 0 when every check passed; prints each failure. --keep copies the .deb to DIR.
"""

import argparse
import gzip
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PROGRAMS = ["sondrel", "sondrel-cli", "sondrel-sim"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
METAINFO = "invalid.sondrel.Sondrel.metainfo.xml"
MAINTAINER = "Sondrel developers <dev@sondrel.invalid>"
TOOLS = ["cmake", "cpack", "dpkg", "dpkg-deb", "dpkg-shlibdeps", "readelf", "ldd", "lintian",
         "desktop-file-validate", "appstreamcli"]

# Lintian warnings that the package keeps, each with its reason; any other warning fails.
# There is none today. Lintian's notes (I:) are printed and do not fail: the programs keep
# their .comment section (CPack strips without removing it), and the firmware instructions
# in share/sondrel are data that the window shows, not documentation for /usr/share/doc.
KEPT_WARNINGS = set()


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, text):
        if not condition:
            self.failures.append(text)
            print("FAIL: " + text)
        return condition

    def equal(self, actual, expected, what):
        return self.expect(actual == expected, f"{what}: {actual!r}, expected {expected!r}")


def run(argv, **kwargs):
    """Runs a command and returns the completed process (text output, never raises on status)."""
    kwargs.setdefault("stdout", subprocess.PIPE)
    kwargs.setdefault("stderr", subprocess.PIPE)
    return subprocess.run(argv, text=True, check=False, **kwargs)


def must(argv, **kwargs):
    """Runs a command that has to succeed for the checks to go on."""
    result = run(argv, **kwargs)
    if result.returncode != 0:
        sys.exit(f"check_package: {' '.join(argv)} failed ({result.returncode}):\n"
                 f"{result.stdout}{result.stderr}")
    return result


def build_package(build, work):
    start = time.monotonic()
    must(["cmake", "--build", build, "--target", "package_contents"])
    built = time.monotonic()
    out = os.path.join(work, "cpack")
    must(["cpack", "-G", "DEB", "-B", out, "--config", os.path.join(build, "CPackConfig.cmake")])
    debs = [f for f in os.listdir(out) if f.endswith(".deb")]
    if len(debs) != 1:
        sys.exit(f"check_package: cpack made {debs}, expected one .deb")
    print(f"package: contents built in {built - start:.1f} s, "
          f"packed in {time.monotonic() - built:.1f} s")
    return os.path.join(out, debs[0])


def expected_files():
    files = {f"./usr/bin/{p}": 0o755 for p in PROGRAMS}
    data = [
        "./usr/share/applications/sondrel.desktop",
        f"./usr/share/metainfo/{METAINFO}",
        "./usr/share/icons/hicolor/scalable/apps/sondrel.svg",
        "./usr/share/sondrel/Instructions-Firmware-Update.rtf",
        "./usr/share/doc/sondrel/copyright",
        "./usr/share/doc/sondrel/changelog.gz",
    ]
    data += [f"./usr/share/icons/hicolor/{n}x{n}/apps/sondrel.png" for n in ICON_SIZES]
    data += [f"./usr/share/man/man1/{p}.1.gz" for p in PROGRAMS]
    data += [f"./usr/lib/systemd/system/sondrel-collect.{u}" for u in ("service", "timer")]
    files.update({f: 0o644 for f in data})
    return files


def check_files(checks, deb):
    listing = must(["dpkg-deb", "--contents", deb]).stdout.splitlines()
    files, folders = {}, []
    for line in listing:
        # drwxr-xr-x root/root         0 2026-12-09 12:00 ./usr/bin/
        parts = line.split(None, 5)
        mode, owner, name = parts[0], parts[1], parts[5]
        checks.equal(owner, "root/root", f"owner of {name}")
        if mode.startswith("d"):
            folders.append(name)
            checks.equal(mode, "drwxr-xr-x", f"mode of {name}")
        else:
            checks.expect(mode.startswith("-"), f"{name} is not a plain file ({mode})")
            files[name] = mode
    expected = expected_files()
    checks.equal(sorted(files), sorted(expected), "files of the package")
    for name, permissions in expected.items():
        if name in files:
            want = "-" + "".join(
                c if permissions & (1 << (8 - i)) else "-" for i, c in enumerate("rwxrwxrwx"))
            checks.equal(files[name], want, f"mode of {name}")
    for name in list(files) + folders:
        checks.expect(name.startswith("./usr/"), f"{name} lies outside /usr")
        checks.expect("udev" not in name, f"{name} touches udev")


def package_of(path):
    """The Debian package that ships a library file (dpkg knows it under /lib or /usr/lib)."""
    real = os.path.realpath(path)
    candidates = [path, real]
    for p in (path, real):
        if p.startswith("/usr/lib/"):
            candidates.append(p[len("/usr"):])
        elif p.startswith("/lib/"):
            candidates.append("/usr" + p)
    for candidate in candidates:
        result = run(["dpkg", "-S", candidate])
        if result.returncode == 0:
            return result.stdout.split(":")[0].strip()
    return None


def check_control(checks, deb, version, unpacked):
    fields = {}
    for line in must(["dpkg-deb", "--field", deb]).stdout.splitlines():
        if line[:1] not in (" ", "\t") and ":" in line:
            key, value = line.split(":", 1)
            fields[key] = value.strip()
    architecture = must(["dpkg", "--print-architecture"]).stdout.strip()
    checks.equal(fields.get("Package"), "sondrel", "Package")
    checks.equal(fields.get("Version"), version, "Version")
    checks.equal(fields.get("Architecture"), architecture, "Architecture")
    checks.equal(fields.get("Maintainer"), MAINTAINER, "Maintainer")
    checks.equal(fields.get("Section"), "science", "Section")
    checks.equal(fields.get("Priority"), "optional", "Priority")
    checks.equal(fields.get("Recommends"), "lpc21isp", "Recommends")
    checks.expect(fields.get("Installed-Size", "").isdigit(), "Installed-Size is missing")
    description = must(["dpkg-deb", "--field", deb, "Description"]).stdout.rstrip("\n").split("\n")
    checks.equal(description[0], "console for a laser particle counter on a serial line",
                 "Description's summary")
    checks.expect(len(description) > 3, "the Description has no long text")
    for line in description[1:]:
        checks.expect(line.startswith(" ") and len(line) <= 80, f"Description line {line!r}")

    # Depends names every package whose libraries the programs link (their NEEDED entries,
    # found where the loader finds them), each with a lowest version.
    depends = {}
    for item in fields.get("Depends", "").split(","):
        match = re.match(r"\s*([a-z0-9.+-]+)\s*(\(.*\))?", item)
        if match:
            depends[match.group(1)] = match.group(2)
    for program in PROGRAMS:
        binary = os.path.join(unpacked, "usr/bin", program)
        needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^]]+)\]",
                            must(["readelf", "--dynamic", binary]).stdout)
        found = dict(re.findall(r"^\s*(\S+) => (/\S+)", must(["ldd", binary]).stdout, re.M))
        checks.expect(needed, f"{program} links no shared library")
        for library in needed:
            if not checks.expect(library in found, f"{program}: {library} is not found"):
                continue
            package = package_of(found[library])
            if checks.expect(package is not None, f"no package ships {found[library]}"):
                package = package.split(":")[0]
                checks.expect(package in depends,
                              f"{program} links {library} from {package}, "
                              f"which Depends does not name ({fields.get('Depends')})")
    for package, constraint in depends.items():
        checks.expect(constraint is not None and constraint.startswith("(>="),
                      f"Depends on {package} has no lowest version")

    # Only the control file and the checksums: no maintainer script (nothing enables a
    # service or touches udev), no configuration files.
    control = os.path.join(os.path.dirname(unpacked), "control")
    must(["dpkg-deb", "--control", deb, control])
    checks.equal(sorted(os.listdir(control)), ["control", "md5sums"], "control archive members")


def check_programs(checks, unpacked, version, work):
    env = {"PATH": "/usr/bin:/bin", "HOME": os.path.join(work, "home"), "LANG": "C.UTF-8"}
    os.makedirs(env["HOME"], exist_ok=True)
    for program in PROGRAMS:
        binary = os.path.join(unpacked, "usr/bin", program)
        # No display: the window's --help and --version need none.
        result = run([binary, "--version"], env=env, timeout=30)
        checks.equal(result.returncode, 0, f"{program} --version exit status")
        checks.equal(result.stdout, f"{program} (Sondrel) {version}\n", f"{program} --version")
        result = run([binary, "--help"], env=env, timeout=30)
        checks.equal(result.returncode, 0, f"{program} --help exit status")
        checks.expect(result.stdout.startswith(f"Usage: {program}"),
                      f"{program} --help begins {result.stdout[:40]!r}")
        checks.expect("--version" in result.stdout, f"{program} --help does not list --version")


def check_installed_window(checks, unpacked, work):
    """The unpacked window keeps its files in $XDG_DATA_HOME/Sondrel, made at its start."""
    xdg = os.path.join(work, "xdg-data")
    env = {"PATH": "/usr/bin:/bin", "HOME": os.path.join(work, "home"), "LANG": "C.UTF-8",
           "XDG_DATA_HOME": xdg, "QT_QPA_PLATFORM": "offscreen",
           "XDG_RUNTIME_DIR": os.path.join(work, "runtime"),
           "SONDREL_SETTINGS_FILE": os.path.join(work, "settings.ini"),
           "SONDREL_SYSFS_ROOT": os.path.join(work, "no-serial-ports")}
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    bin_before = sorted(os.listdir(os.path.join(unpacked, "usr/bin")))
    window = subprocess.Popen([os.path.join(unpacked, "usr/bin/sondrel")], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    folder = os.path.join(xdg, "Sondrel")
    deadline = time.monotonic() + 30
    while not os.path.isdir(folder) and window.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    made = os.path.isdir(folder)
    # Give the window the time to build itself before it is asked to close.
    time.sleep(1.0 if made else 0)
    running = window.poll() is None
    if running:
        window.send_signal(signal.SIGTERM)
    try:
        output, _ = window.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        window.kill()
        output, _ = window.communicate()
    checks.expect(running, f"the unpacked window ended by itself: {output}")
    checks.equal(window.returncode, 0, "the unpacked window's exit status on SIGTERM")
    if checks.expect(made, f"the unpacked window made no {folder}: {output}"):
        checks.equal(oct(os.stat(folder).st_mode & 0o777), oct(0o700), "mode of the program folder")
    checks.equal(sorted(os.listdir(os.path.join(unpacked, "usr/bin"))), bin_before,
                 "files beside the unpacked programs")


def check_demo_download(checks, unpacked, work):
    """The unpacked sondrel-cli finds the unpacked simulator beside itself."""
    env = {"PATH": "/usr/bin:/bin", "HOME": os.path.join(work, "home"), "LANG": "C.UTF-8"}
    result = run([os.path.join(unpacked, "usr/bin/sondrel-cli"), "--demo", "download",
                  "--recent", "3", "--delay", "fast"], env=env, timeout=120)
    checks.equal(result.returncode, 0, f"unpacked demo download exit status ({result.stderr})")
    checks.expect(re.search(r"^Record Index,", result.stdout, re.M) is not None,
                  "the unpacked demo download printed no record table")


def check_documents(checks, unpacked, version):
    share = os.path.join(unpacked, "usr/share")
    desktop = os.path.join(share, "applications/sondrel.desktop")
    result = run(["desktop-file-validate", desktop])
    checks.expect(result.returncode == 0 and not result.stdout.strip(),
                  f"desktop-file-validate: {result.stdout}{result.stderr}")
    metainfo = os.path.join(share, "metainfo", METAINFO)
    result = run(["appstreamcli", "validate", "--no-net", metainfo])
    checks.expect(result.returncode == 0, f"appstreamcli validate: {result.stdout}{result.stderr}")
    print(result.stdout.strip())
    with open(metainfo, encoding="utf-8") as text:
        releases = re.findall(r'<release version="([^"]+)"', text.read())
    checks.expect(releases[:1] == [version], f"newest release in the metainfo: {releases[:1]}")
    with gzip.open(os.path.join(share, "doc/sondrel/changelog.gz"), "rt") as text:
        first = text.readline()
    checks.expect(first.startswith(f"sondrel ({version})"), f"changelog begins {first!r}")
    for program in PROGRAMS:
        with gzip.open(os.path.join(share, f"man/man1/{program}.1.gz"), "rt") as text:
            page = text.read()
        heading = next((l for l in page.splitlines() if l.startswith(".TH")), "")
        checks.expect(f"{program} (Sondrel) {version}" in heading, f"{program}.1 heading {heading!r}")
        checks.expect(re.search(r"^\.SH NAME\n" + re.escape(program) + r" \\- ", page, re.M)
                      is not None, f"{program}.1 has no NAME line")
        if program != "sondrel-sim":
            checks.expect("dialout" in page, f"{program}.1 does not name the dialout group")


def check_lintian(checks, deb):
    result = run(["lintian", "--tag-display-limit", "0", "--display-info", deb])
    output = result.stdout + result.stderr
    print("lintian:\n" + (output.strip() or "(nothing)"))
    for line in output.splitlines():
        match = re.match(r"([EWIPXO]): \S+: (\S+)", line)
        if not match:
            continue
        kind, tag = match.groups()
        checks.expect(kind != "E", f"lintian error: {line}")
        checks.expect(kind != "W" or tag in KEPT_WARNINGS, f"lintian warning not kept: {line}")
    checks.expect(result.returncode == 0 or not re.search(r"^E: ", output, re.M),
                  f"lintian exit status {result.returncode}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--keep")
    args = parser.parse_args()
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        sys.exit(f"check_package: {', '.join(missing)} not found (scripts/setup installs them)")
    checks = Checks()
    start = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="sondrel-package-") as work:
        deb = build_package(args.build, work)
        print(f"package: {os.path.basename(deb)}")
        unpacked = os.path.join(work, "root", "unpacked")
        os.makedirs(unpacked)
        must(["dpkg-deb", "-x", deb, unpacked])
        check_files(checks, deb)
        check_control(checks, deb, args.version, unpacked)
        check_programs(checks, unpacked, args.version, work)
        check_installed_window(checks, unpacked, work)
        check_demo_download(checks, unpacked, work)
        check_documents(checks, unpacked, args.version)
        check_lintian(checks, deb)
        if args.keep:
            shutil.copy(deb, args.keep)
    print(f"package: checked in {time.monotonic() - start:.1f} s, "
          f"{len(checks.failures)} failure(s)")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
