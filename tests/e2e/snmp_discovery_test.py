#!/usr/bin/python3
"""glyphcast search --range against net-snmp agents on loopback addresses
127.0.0.2-5: a PCL printer, one without PCL, one that answers only SNMPv2c and
a bare agent without hrDeviceDescr and device ID (an SNMPv1 noSuchName case).
Every agent stops by itself within a minute. Skipped (77) without snmpd."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

GLYPHCAST = sys.argv.pop(1)
EMULATOR = str(Path(GLYPHCAST).parent / "printer-emulator")
PJL_PORT = 19171
SNMPD = shutil.which("snmpd") or "/usr/sbin/snmpd"
PORT = 16171
RANGE = "127.0.0.0/29"  # hosts .1 to .6; .1 and .6 are silent
HR_MODULES = "hr_system,hr_storage,hr_device,hr_other,hr_proc,hr_network,hr_print,hr_disk," \
             "hr_partition,hr_filesys,hr_swinst,hr_swrun"
DEVICE_DESCR = "1.3.6.1.2.1.25.3.2.1.3.1"
DEVICE_ID = "1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1"

AGENTS = {
    "127.0.0.2": ("v1 v2c", "Acme Laser 2, PCL", "Acme Laser 2",
                  "MFG:Acme;MDL:Laser 2 Model;CMD:PJL,PCL,POSTSCRIPT;CLS:PRINTER;"),
    "127.0.0.3": ("v1 v2c", "Inkjet 9", "", "MFG:Other;MDL:Inkjet 9 Model;CMD:ESCPL2,URF;"),
    "127.0.0.4": ("v2c", "Only v2c", "Laser 4", "MDL:Laser 4;CMD:PCL5E,PJL;"),
    "127.0.0.5": ("v1 v2c", "Bare agent", None, None),
}


def config(address, versions, descr, model, device_id):
    lines = ["agentaddress udp:%s:%d" % (address, PORT),
             "com2sec anyone 127.0.0.0/8 vandel", "view all included .1"]
    for version in versions.split():
        lines += ["group g%s %s anyone" % (version, version),
                  'access g%s "" %s noauth exact all none none' % (version, version)]
    lines.append('override 1.3.6.1.2.1.1.1.0 octet_str "%s"' % descr)
    if model is not None:
        lines.append('override %s octet_str "%s"' % (DEVICE_DESCR, model))
    if device_id is not None:
        lines.append('override %s octet_str "%s"' % (DEVICE_ID, device_id))
    return "\n".join(lines) + "\n"


def search(*args):
    done = subprocess.run([GLYPHCAST, "search", "--snmp-port", str(PORT), *args],
                          capture_output=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return done.stdout.decode()


class Discovery(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="gc-discovery-")
        cls.agents = []
        for address, agent in AGENTS.items():
            folder = Path(cls.work) / address
            (folder / "persist").mkdir(parents=True)
            (folder / "snmpd.conf").write_text(config(address, *agent))
            cls.agents.append(subprocess.Popen(
                ["timeout", "60", SNMPD, "-f", "-Lf", str(folder / "log"), "-C", "-c",
                 str(folder / "snmpd.conf"), "-m", "", "-I",
                 "-smux,mteTrigger,mteTriggerConf," + HR_MODULES],
                env=dict(os.environ, SNMP_PERSISTENT_DIR=str(folder / "persist")),
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # Printers behind two of the agents: one with a disk, one without.
        for address, extra in (("127.0.0.2", []), ("127.0.0.3", ["--no-disk"])):
            cls.agents.append(subprocess.Popen(
                [EMULATOR, "--root", str(Path(cls.work) / ("disk-" + address)), "--address",
                 address, "--port", str(PJL_PORT), "--timeout", "60", "--disk-size", "64000000",
                 "--log", "/dev/null", *extra], stdout=subprocess.DEVNULL))
        for _ in range(100):  # until every agent answers
            if len(json.loads(search("--snmp-version", "2c", "--range", RANGE, "--timeout", "200",
                                     "--format", "json"))) == 4:
                break
            time.sleep(0.05)

    @classmethod
    def tearDownClass(cls):
        for agent in cls.agents:
            agent.terminate()
            agent.wait(timeout=10)
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_version_1_sweep(self):
        found = json.loads(search("--range", RANGE, "--format", "json"))
        self.assertEqual(found, [
            {"address": "127.0.0.2", "name": "Acme Laser 2, PCL", "model": "Acme Laser 2",
             "languages": ["PJL", "PCL", "POSTSCRIPT"], "pcl": True},
            # No hrDeviceDescr: the model of the device ID.
            {"address": "127.0.0.3", "name": "Inkjet 9", "model": "Inkjet 9 Model",
             "languages": ["ESCPL2", "URF"], "pcl": False},
            # noSuchName for the objects it lacks: asked again without them.
            {"address": "127.0.0.5", "name": "Bare agent", "model": "", "languages": [],
             "pcl": False}])

    def test_version_2c_reaches_the_v2c_agent(self):
        found = json.loads(search("--snmp-version", "2c", "--range", RANGE, "--format", "json"))
        self.assertEqual([p["address"] for p in found],
                         ["127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"])
        self.assertEqual(found[2], {"address": "127.0.0.4", "name": "Only v2c", "model": "Laser 4",
                                    "languages": ["PCL5E", "PJL"], "pcl": True})

    def test_formats_for_scripts(self):
        csv = search("--range", RANGE, "--format", "csv", "--filter", "Acme").splitlines()
        self.assertEqual(csv, ["address,name,model,languages,pcl",
                               '127.0.0.2,"Acme Laser 2, PCL",Acme Laser 2,PJL PCL POSTSCRIPT,true'])
        # Not a terminal and no --format: the program's list entries.
        lines = search("--address", "127.0.0.3", "--address", "127.0.0.2").splitlines()
        self.assertEqual(lines, ["NET,Acme Laser 2, PCL(127.0.0.2)", "NET,Inkjet 9(127.0.0.3)"])

    def test_pjl_asks_for_a_disk(self):
        found = json.loads(search("--range", RANGE, "--format", "json", "--pjl",
                                  "--pjl-port", str(PJL_PORT)))
        disks = {p["address"]: (p["disk"], p["free"]) for p in found}
        self.assertEqual(disks["127.0.0.3"], (False, None))  # FILESYS answers "?"
        self.assertEqual(disks["127.0.0.5"], (None, None))   # nothing on the port
        self.assertTrue(disks["127.0.0.2"][0])
        self.assertEqual(disks["127.0.0.2"][1], 64000000)
        csv = search("--range", RANGE, "--format", "csv", "--pjl", "--pjl-port", str(PJL_PORT))
        self.assertEqual(csv.splitlines()[0], "address,name,model,languages,pcl,disk,free")

    def test_usage_errors(self):
        for args in (["--range", "127.0.0.0/8"], ["--range", "127.0.0.0"],
                     ["--snmp-version", "3"], ["--format", "xml"], ["--rate", "0"]):
            done = subprocess.run([GLYPHCAST, "search", *args], capture_output=True, timeout=10)
            self.assertEqual(done.returncode, 2, args)
            self.assertTrue(done.stderr.startswith(b"glyphcast: "), done.stderr)


if __name__ == "__main__":
    if not os.path.exists(SNMPD):
        print("skipped: snmpd is not installed")
        sys.exit(77)
    unittest.main(verbosity=1)
