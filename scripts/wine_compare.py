#!/usr/bin/env python3
"""The same run on the simulated machine and under Wine, compared.

  wine_compare.py fixture INSTALLED.reg FRESH.reg OUT.reg
      the keys and values that the installed machine has beyond a fresh one,
      as a file that "regedit /s" loads (HKEY_USERS\\<sid> becomes
      HKEY_CURRENT_USER, the machine's own link is left out)
  wine_compare.py copy-drive SRC DRIVE_C
      the installed drive C: into a Wine prefix, folder names matched without
      regard to case
  wine_compare.py compare WORK KNOWN [RUN]
      what the run left of the fixture on the host and under Wine; every
      difference must be listed in KNOWN (regular expression, tab, reason);
      RUN names another Wine run whose end state alone is compared
  wine_compare.py undone WORK KNOWN RUN
      the registry after RUN's undo file was imported (RUN-undone-*.reg)
      against the registry before RUN (RUN-before-*.reg): key for key, value
      for value, byte for byte; differences must be listed in KNOWN
"""
import os
import re
import shutil
import sys

USER = re.compile(r"^HKEY_USERS\\S-1-5-21-[0-9-]+", re.I)


def read_reg(path):
    data = open(path, "rb").read()
    text = data[2:].decode("utf-16-le") if data[:2] == b"\xff\xfe" else data.decode("utf-8")
    keys, key, pending = {}, None, ""
    for raw in text.replace("\r", "").split("\n"):
        line = pending + (raw.strip() if pending else raw)
        if line.endswith("\\") and "=" in line and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = ""
        if line.startswith("[") and line.endswith("]"):
            key = USER.sub("HKEY_CURRENT_USER", line[1:-1])
            keys.setdefault(key, {})
        elif key is not None and "=" in line:
            name, _, value = line.partition("=") if line.startswith("@") else split_value(line)
            keys[key][name] = value
    return keys


def split_value(line):
    # "name with \" quotes"=data
    i = 1
    while i < len(line):
        if line[i] == "\\":
            i += 2
            continue
        if line[i] == '"':
            break
        i += 1
    return line[: i + 1], "=", line[i + 2:]


def fixture(installed, fresh, out):
    have, base = read_reg(installed), read_reg(fresh)
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in have.items():
        if "CurrentControlSet" in key and "SymbolicLinkValue" in str(values):
            continue
        extra = {n: v for n, v in values.items() if base.get(key, {}).get(n) != v}
        if key in base and not extra:
            continue
        # An installer writes through CurrentControlSet, whatever set it names.
        lines.append("[" + re.sub(r"\\ControlSet001\\", r"\\CurrentControlSet\\", key, flags=re.I) + "]")
        lines += [f"{n}={v}" for n, v in extra.items()]
        lines.append("")
    open(out, "wb").write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))


def matching(folder, name):
    for entry in os.listdir(folder) if os.path.isdir(folder) else []:
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return os.path.join(folder, name)


def copy_drive(src, drive):
    for root, _, files in os.walk(src):
        rel = os.path.relpath(root, src)
        target = drive
        for part in [] if rel == "." else rel.split(os.sep):
            target = matching(target, part)
            os.makedirs(target, exist_ok=True)
        for name in files:
            shutil.copyfile(os.path.join(root, name), matching(target, name))


def present(drive, rel):
    path = drive
    for part in rel.split(os.sep):
        path = matching(path, part)
        if not os.path.exists(path):
            return False
    return True


RECORD = re.compile(r"^(\s*Record of this run:\s+)C:\\.*\\vxclean-[0-9]{8}-[0-9]{6}(-[0-9]+)?$")


def output_lines(path):
    text = open(path, "rb").read().decode("utf-8", errors="replace").replace("\r\n", "\n")
    # Wine names the Windows folder in lower case; each machine has its own
    # temporary folder and clock for the record.
    lines = [re.sub(r"^(.*)C:\\windows", r"\1C:\\Windows", line) for line in text.split("\n")]
    return [RECORD.sub(r"\1(record folder)", line) for line in lines]


def compare_output(work):
    """Console lines of one run that the other did not print, order aside."""
    host = output_lines(os.path.join(work, "host.out"))
    wine = output_lines(os.path.join(work, "wine.out"))
    counts = {}
    for line in host:
        counts[line] = counts.get(line, 0) + 1
    for line in wine:
        counts[line] = counts.get(line, 0) - 1
    found = []
    for line, count in sorted(counts.items()):
        side = "host" if count > 0 else "wine"
        found += [f"output only on {side}: {line}"] * abs(count)
    return found


def same(value):
    # Hex data is wrapped and spaced differently by each registry editor.
    return value.replace(" ", "").lower() if value.startswith("hex") else value


def compare(work, known_path, run="wine"):
    """run: "wine" (the whole run, output included) or the name of another
    Wine run whose end state alone is compared (an interrupted one)."""
    fixture_keys = read_reg(os.path.join(work, "fixture.reg"))
    host = read_reg(os.path.join(work, "host-run", "registry.reg"))
    wine = {}
    for name in (f"{run}-hklm.reg", f"{run}-hkcu.reg"):
        wine.update(read_reg(os.path.join(work, name)))
    lower = lambda keys: {k.lower().replace("\\controlset001\\", "\\currentcontrolset\\"): v for k, v in keys.items()}
    host, wine = lower(host), lower(wine)
    differences = []
    for key, values in fixture_keys.items():
        k = key.lower().replace("\\controlset001\\", "\\currentcontrolset\\")
        in_host, in_wine = k in host, k in wine
        if in_host != in_wine:
            differences.append(f"key {key}: host {'kept' if in_host else 'removed'}, wine {'kept' if in_wine else 'removed'}")
            continue
        for name in values:
            h, w = host.get(k, {}).get(name), wine.get(k, {}).get(name)
            if (h is None) != (w is None) or (h and w and same(h) != same(w)):
                differences.append(f"value {key} {name}: host {h}, wine {w}")
    installed_drive = os.path.join(work, "installed", "C")
    for root, _, files in os.walk(installed_drive):
        for name in files:
            rel = os.path.relpath(os.path.join(root, name), installed_drive)
            in_host = present(os.path.join(work, "host-run", "C"), rel)
            in_wine = present(os.path.join(work, f"{run}-prefix", "drive_c"), rel)
            if in_host != in_wine:
                differences.append(f"file {rel}: host {'kept' if in_host else 'removed'}, wine {'kept' if in_wine else 'removed'}")
    if run == "wine":
        differences += compare_output(work)
    statuses = [open(os.path.join(work, n)).read().strip() for n in ("host.status", f"{run}.status")]
    if statuses[0] != statuses[1]:
        differences.append(f"exit status: host {statuses[0]}, wine {statuses[1]}")
    return report(differences, known_path)


def undone(work, known_path, run):
    """The registry after the undo file of a run was imported, against the
    registry before the run."""
    states = []
    for stage in ("before", "undone"):
        keys = {}
        for root in ("hklm", "hkcu"):
            keys.update(read_reg(os.path.join(work, f"{run}-{stage}-{root}.reg")))
        states.append({k.lower(): {n.lower(): same(v) for n, v in values.items()} for k, values in keys.items()})
    before, after = states
    differences = []
    for key in sorted(set(before) | set(after)):
        if (key in before) != (key in after):
            differences.append(f"undo: key {key} {'lost' if key in before else 'added'}")
            continue
        for name in sorted(set(before[key]) | set(after[key])):
            b, a = before[key].get(name), after[key].get(name)
            if b != a:
                differences.append(f"undo: value {key} {name}: before {b}, after {a}")
    return report(differences, known_path)


def report(differences, known_path):
    known = []
    for line in open(known_path, encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            pattern, _, reason = line.rstrip("\n").partition("\t")
            known.append((re.compile(pattern), reason))
    unlisted = [d for d in differences if not any(p.search(d) for p, _ in known)]
    for d in differences:
        print(("KNOWN   " if d not in unlisted else "UNLISTED") + " " + d)
    print(f"{len(differences)} differences, {len(unlisted)} not listed")
    print(f"comparison: {0 if unlisted else 1} passed, {1 if unlisted else 0} failed")
    return 1 if unlisted else 0


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "fixture":
        fixture(*sys.argv[2:5])
    elif command == "copy-drive":
        copy_drive(*sys.argv[2:4])
    elif command == "compare":
        sys.exit(compare(*sys.argv[2:5]))
    elif command == "undone":
        sys.exit(undone(*sys.argv[2:5]))
