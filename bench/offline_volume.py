#!/usr/bin/env python3
"""Lays out a Windows volume for vxclean-offline from a generated machine.

The machine's registry (regedit's format, as bench/generate_machine writes
it) is split by hive and imported into real hives with chntpw's reged, which
keeps a key's subkey list in place as it grows: hivex copies the whole list
for each subkey it adds, which for the 100,000 keys of one Components key
would make a file of tens of gigabytes. The volume gets:
  - SYSTEM: the real 64-bit SYSTEM hive of tests/data with the machine's
    SYSTEM keys in its control set 1 (which its Select\\Current names);
  - SOFTWARE: a copy of the real UsrClass.dat, emptied with hivexsh, with
    100,000 keys of other software in groups of 100 (made with hivexsh), the
    machine's SOFTWARE keys and what Windows keeps about itself;
  - one profile: the real NTUSER.DAT with the machine's user keys;
  - the machine's drive C:.
Usage: offline_volume.py MACHINE_FOLDER HIVE_DATA VOLUME
"""
import os
import shutil
import subprocess
import sys

USER_SID = "S-1-5-21-1004336348-1177238915-682003330-1000"
NT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
WINDOWS_KEYS = f"""
[{NT}]
"ProductName"="Windows 10 Pro"
"CurrentBuild"="19045"
"SystemRoot"="C:\\\\Windows"

[{NT}\\ProfileList]
"ProgramData"="C:\\\\ProgramData"

[{NT}\\ProfileList\\{USER_SID}]
"ProfileImagePath"="C:\\\\Users\\\\bench"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]
"ProgramFilesDir"="C:\\\\Program Files"
"ProgramFilesDir (x86)"="C:\\\\Program Files (x86)"
"ProgramW6432Dir"="C:\\\\Program Files"
"CommonFilesDir"="C:\\\\Program Files\\\\Common Files"
"CommonFilesDir (x86)"="C:\\\\Program Files (x86)\\\\Common Files"
"CommonW6432Dir"="C:\\\\Program Files\\\\Common Files"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Common Start Menu"="C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start Menu"
"""

# Where each part of the machine's registry goes: the keys below a path of
# the machine's file go to a hive, written there under the name of its root.
PARTS = [
    ("HKEY_LOCAL_MACHINE\\SOFTWARE", "SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE"),
    ("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001", "SYSTEM", "HKEY_LOCAL_MACHINE\\SYSTEM"),
    (f"HKEY_USERS\\{USER_SID}", "NTUSER.DAT", "HKEY_CURRENT_USER"),
]


def split(registry):
    """The machine's entries for each hive, as lists of regedit lines."""
    with open(registry, encoding="utf-16") as file:
        text = file.read().replace("\r\n", "\n")
    parts = {hive: [] for _, hive, _ in PARTS}
    for block in text.split("\n\n")[1:]:
        header = block.split("\n", 1)[0]
        for source, hive, root in PARTS:
            if header.startswith("[" + source + "\\") or header == "[" + source + "]":
                keep = len(root) if source.startswith(root) else len(source)
                parts[hive].append("[" + root + block[1 + keep:])
    return parts


def add_values(blocks, added):
    """The added keys' values put into the blocks; reged refuses a key twice."""
    at = {block.split("\n", 1)[0].lower(): i for i, block in enumerate(blocks)}
    for block in added:
        header, _, values = block.partition("\n")
        if header.lower() in at:
            blocks[at[header.lower()]] += "\n" + values
        else:
            blocks.append(block)


def unpack(data, name, to):
    with open(to, "wb") as out:
        subprocess.run(["xz", "-dc", os.path.join(data, name + ".xz")], stdout=out, check=True)


def empty(hive):
    names = subprocess.run(["hivexsh", hive], input="ls\n", capture_output=True, text=True, check=True).stdout.split("\n")
    script = "".join(f"cd \\{name}\ndel\n" for name in names if name) + "commit\n"
    subprocess.run(["hivexsh", "-w", hive], input=script, capture_output=True, text=True, check=True)


def pad(hive, groups, each):
    """Other software's keys, made with hivex in groups, before reged adds the
    machine's: reged gives each key it adds the security cell of its parent
    without counting the reference, and hivex frees a cell whose count drops
    to 0 when it deletes a key. hivex counts its own keys, so that the
    removal's deletions leave the count above 0."""
    script = "cd \\\nadd Other Software\ncd Other Software\n"
    for group in range(groups):
        script += f"add Group{group:04}\ncd Group{group:04}\n"
        script += "".join(f"add Key{key:03}\n" for key in range(each)) + "cd ..\n"
    subprocess.run(["hivexsh", "-w", hive], input=script + "commit\n", capture_output=True, text=True, check=True)


def merge(hive, prefix, blocks, big):
    """The keys into the hive: with reged when there are many, else with
    hivexregedit, since reged takes the real hives' names in a case other
    than its file's for new keys."""
    reg = hive + ".import.reg"
    with open(reg, "w", encoding="utf-16" if big else "utf-8", newline="\r\n") as file:
        file.write("Windows Registry Editor Version 5.00\n\n" + "\n\n".join(blocks) + "\n\n")
    if big:
        # reged's status is not 0 when it changed a hive: its own words say how it went.
        done = subprocess.run(["reged", "-I", "-C", hive, prefix, reg], capture_output=True, text=True)
        if "operation SUCCEEDED" not in done.stdout:
            sys.exit(f"reged could not import {reg} into {hive}:\n{done.stdout[-2000:]}")
    else:
        subprocess.run(["hivexregedit", "--merge", "--prefix", prefix, hive, reg], check=True)
    os.remove(reg)


def main(machine, data, volume):
    config = os.path.join(volume, "Windows", "System32", "config")
    profile = os.path.join(volume, "Users", "bench")
    shutil.copytree(os.path.join(machine, "C"), volume, dirs_exist_ok=True)
    os.makedirs(config, exist_ok=True)
    os.makedirs(profile, exist_ok=True)
    unpack(data, "SYSTEM_2", os.path.join(config, "SYSTEM"))
    unpack(data, "UsrClass.dat", os.path.join(config, "SOFTWARE"))
    unpack(data, "NTUSER.DAT", os.path.join(profile, "NTUSER.DAT"))
    empty(os.path.join(config, "SOFTWARE"))
    pad(os.path.join(config, "SOFTWARE"), 1000, 100)
    parts = split(os.path.join(machine, "registry.reg"))
    add_values(parts["SOFTWARE"], WINDOWS_KEYS.strip().split("\n\n"))
    hives = {"SOFTWARE": os.path.join(config, "SOFTWARE"), "SYSTEM": os.path.join(config, "SYSTEM"),
             "NTUSER.DAT": os.path.join(profile, "NTUSER.DAT")}
    for _, hive, root in PARTS:
        merge(hives[hive], root, parts[hive], hive == "SOFTWARE")


if __name__ == "__main__":
    main(*sys.argv[1:])
