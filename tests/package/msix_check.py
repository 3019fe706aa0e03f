#!/usr/bin/env python3
"""An independent check of the signed sparse package, TorvanShell.msix.

It shares no code with the packer: it reads the ZIP byte by byte, recomputes
every block hash of the block map and the four digests the signature holds,
and reads the manifest with an XML parser.

    msix_check.py <package.msix> <VERSION file> <class id header>
    msix_check.py --self-test <package.msix> <VERSION file> <class id header>

The second form also damages copies of the package in the ways that matter
(one payload byte changed, two entries swapped, the content types stored)
and fails unless the check refuses each of them.
"""
import base64
import hashlib
import os
import re
import ssl
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

NS = {
    "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
    "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
    "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
    "desktop4": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4",
    "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
    "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
    "rescap": "http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities",
    "bm": "http://schemas.microsoft.com/appx/2010/blockmap",
    "ct": "http://schemas.openxmlformats.org/package/2006/content-types",
}
SIGNATURE = "AppxSignature.p7x"
OWN_PARTS = ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml", SIGNATURE]
BLOCK = 65536


class Entry:
    pass


def read_zip(data, problems):
    """The entries in central-directory order, each with its raw record."""
    if data[-22:-18] != b"PK\x05\x06":
        problems.append("zip: the file does not end in an end record without comment")
        return None, None
    locator = len(data) - 22 - 20
    if data[locator:locator + 4] != b"PK\x06\x07":
        problems.append("zip: no Zip64 end locator before the end record")
        return None, None
    _, disk, end64, disks = struct.unpack_from("<IIQI", data, locator)
    if data[end64:end64 + 4] != b"PK\x06\x06" or disk != 0 or disks != 1:
        problems.append("zip: the Zip64 locator points to no Zip64 end record")
        return None, None
    (_, size64, made, needed, _, _, count, total, cd_size, cd_offset) = struct.unpack_from(
        "<IQHHIIQQQQ", data, end64)
    if size64 != 44 or needed != 45 or count != total or cd_offset + cd_size != end64:
        problems.append("zip: Zip64 end record out of shape")
    entries, at = [], cd_offset
    for _ in range(count):
        if data[at:at + 4] != b"PK\x01\x02":
            problems.append("zip: central directory broken at %d" % at)
            return None, None
        e = Entry()
        (_, e.made, e.needed, e.flags, e.method, _, _, e.crc, e.csize, e.size, name_len, extra_len,
         comment_len, _, _, _, e.offset) = struct.unpack_from("<IHHHHHHIIIHHHHHII", data, at)
        raw_name = data[at + 46:at + 46 + name_len]
        e.cd_record = data[at:at + 46 + name_len + extra_len + comment_len]
        at += len(e.cd_record)
        if not all(32 < b < 127 for b in raw_name):
            problems.append("zip: name %r is not plain ASCII" % raw_name)
        e.name = raw_name.decode("ascii", "replace")
        if comment_len or extra_len:
            problems.append("%s: central record has a comment or extra field" % e.name)
        lfh = data[e.offset:e.offset + 30]
        if lfh[:4] != b"PK\x03\x04":
            problems.append("%s: no local header at %d" % (e.name, e.offset))
            return None, None
        (_, l_needed, l_flags, l_method, _, _, l_crc, l_csize, l_size, l_name, l_extra) = struct.unpack(
            "<IHHHHHIIIHH", lfh)
        e.lfh_size = 30 + l_name + l_extra
        e.data_offset = e.offset + e.lfh_size
        e.raw = data[e.data_offset:e.data_offset + e.csize]
        e.record_end = e.data_offset + e.csize
        if (l_needed, l_flags, l_method, l_crc, l_csize, l_size) != (e.needed, e.flags, e.method, e.crc, e.csize,
                                                                     e.size):
            problems.append("%s: local header disagrees with the central directory" % e.name)
        if data[e.offset + 30:e.offset + 30 + l_name] != raw_name:
            problems.append("%s: local header names another file" % e.name)
        if e.needed not in (20, 45):
            problems.append("%s: version needed %d" % (e.name, e.needed))
        if e.flags != 0:
            problems.append("%s: flags %#x (data descriptor or encryption)" % (e.name, e.flags))
        if e.method == 0:
            e.content = e.raw
        elif e.method == 8:
            try:
                e.content = zlib.decompress(e.raw, -15)
            except zlib.error:
                e.content = b""
                problems.append("%s: deflated data does not inflate" % e.name)
        else:
            e.content = b""
            problems.append("%s: compression method %d" % (e.name, e.method))
        if len(e.content) != e.size or zlib.crc32(e.content) != e.crc:
            problems.append("%s: size or CRC-32 does not match its bytes" % e.name)
        entries.append(e)
    # Records lie back to back from the start, in directory order.
    expected = 0
    for e in entries:
        if e.offset != expected:
            problems.append("%s: record at %d, expected %d" % (e.name, e.offset, expected))
        expected = e.record_end
    if expected != cd_offset:
        problems.append("zip: bytes between the last record and the central directory")
    return entries, (cd_offset, end64)


def check_order(entries, problems):
    names = [e.name for e in entries]
    tail = names[-4:]
    if tail != OWN_PARTS:
        problems.append("order: package ends in %s, expected %s" % (tail, OWN_PARTS))
    for e in entries:
        wanted = 8 if e.name in ("[Content_Types].xml", SIGNATURE) else 0
        if e.name == SIGNATURE:
            continue
        if e.method != wanted:
            problems.append("%s: method %d, expected %d" % (e.name, e.method, wanted))


def check_block_map(entries, problems):
    by_name = {e.name: e for e in entries}
    root = ET.fromstring(by_name["AppxBlockMap.xml"].content)
    if root.tag != "{%s}BlockMap" % NS["bm"] or root.get("HashMethod") != "http://www.w3.org/2001/04/xmlenc#sha256":
        problems.append("block map: wrong root or hash method")
    files = root.findall("bm:File", NS)
    payload = [e for e in entries if e.name not in OWN_PARTS[1:]]
    if [f.get("Name") for f in files] != [e.name.replace("/", "\\") for e in payload]:
        problems.append("block map: lists %s" % [f.get("Name") for f in files])
        return
    for f, e in zip(files, payload):
        if f.get("Size") != str(e.size) or f.get("LfhSize") != str(e.lfh_size):
            problems.append("block map: %s Size/LfhSize wrong" % e.name)
        blocks = f.findall("bm:Block", NS)
        if len(blocks) != (e.size + BLOCK - 1) // BLOCK:
            problems.append("block map: %s has %d blocks" % (e.name, len(blocks)))
        for i, b in enumerate(blocks):
            digest = base64.b64encode(hashlib.sha256(e.content[i * BLOCK:(i + 1) * BLOCK]).digest()).decode()
            if b.get("Hash") != digest:
                problems.append("block map: %s block %d hash does not match" % (e.name, i))
            if b.get("Size") is not None:
                problems.append("block map: %s block %d of a stored file has a Size" % (e.name, i))


def check_content_types(entries, problems):
    by_name = {e.name: e for e in entries}
    root = ET.fromstring(by_name["[Content_Types].xml"].content)
    defaults = {d.get("Extension").lower(): d.get("ContentType") for d in root.findall("ct:Default", NS)}
    overrides = {o.get("PartName"): o.get("ContentType") for o in root.findall("ct:Override", NS)}
    wanted = {"/AppxManifest.xml": "application/vnd.ms-appx.manifest+xml",
              "/AppxBlockMap.xml": "application/vnd.ms-appx.blockmap+xml",
              "/AppxSignature.p7x": "application/vnd.ms-appx.signature"}
    for part, kind in wanted.items():
        if overrides.get(part) != kind:
            problems.append("content types: %s is %r" % (part, overrides.get(part)))
    for e in entries:
        if e.name in OWN_PARTS:
            continue
        if "/" + e.name not in overrides and os.path.splitext(e.name)[1][1:].lower() not in defaults:
            problems.append("content types: nothing covers %s" % e.name)


def check_signature(data, entries, ends, problems):
    """The four digests the signature signs, recomputed over the raw bytes."""
    sig = entries[-1]
    if sig.name != SIGNATURE or not sig.content.startswith(b"PKCX"):
        problems.append("signature: no PKCX signature part last")
        return None
    blob = sig.content
    at = blob.find(b"APPXAXPC")
    if at < 0:
        problems.append("signature: no APPX digests")
        return None
    digests = {}
    at += 4
    while blob[at:at + 2] == b"AX" and len(digests) < 5:
        digests[blob[at:at + 4].decode()] = blob[at + 4:at + 36]
        at += 36
    others = [e for e in entries if e.name != SIGNATURE]
    by_name = {e.name: e for e in others}
    records_end = sig.offset  # the signature's record is left out: it is the last one
    cd = b"".join(e.cd_record for e in others)
    n = len(others)
    end64 = struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, n, n, len(cd), records_end)
    locator = struct.pack("<IIQI", 0x07064b50, 0, records_end + len(cd), 1)
    eocd_fields = struct.unpack_from("<HHHHIIH", data, len(data) - 18)
    counts = [0xFFFF if eocd_fields[2] == 0xFFFF else n, 0xFFFF if eocd_fields[3] == 0xFFFF else n]
    sizes = [0xFFFFFFFF if eocd_fields[4] == 0xFFFFFFFF else len(cd),
             0xFFFFFFFF if eocd_fields[5] == 0xFFFFFFFF else records_end]
    eocd = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, counts[0], counts[1], sizes[0], sizes[1], 0)
    computed = {
        "AXPC": hashlib.sha256(data[:records_end]).digest(),
        "AXCD": hashlib.sha256(cd + end64 + locator + eocd).digest(),
        "AXCT": hashlib.sha256(by_name["[Content_Types].xml"].content).digest(),
        "AXBM": hashlib.sha256(by_name["AppxBlockMap.xml"].content).digest(),
    }
    for name, digest in computed.items():
        if digests.get(name) != digest:
            problems.append("signature: %s digest does not match the package" % name)
    return blob[4:]


def signer_subject(pkcs7_der, problems):
    """The signing certificate's subject as Windows writes it: most specific first."""
    with tempfile.TemporaryDirectory() as scratch:
        p7 = os.path.join(scratch, "sig.p7")
        with open(p7, "wb") as f:
            f.write(pkcs7_der)
        pem = subprocess.run(["openssl", "pkcs7", "-inform", "DER", "-in", p7, "-print_certs"],
                             capture_output=True, text=True).stdout
        certs = re.findall(r"-----BEGIN CERTIFICATE-----.*?-----END CERTIFICATE-----", pem, re.S)
        if not certs:
            problems.append("signature: holds no certificate")
            return None
        cert = os.path.join(scratch, "signer.pem")
        with open(cert, "w") as f:
            f.write(certs[0] + "\n")
        decoded = ssl._ssl._test_decode_cert(cert)
    short = {"commonName": "CN", "organizationName": "O", "organizationalUnitName": "OU", "localityName": "L",
             "stateOrProvinceName": "S", "countryName": "C", "emailAddress": "E"}
    parts = ["+".join("%s=%s" % (short.get(k, k), v) for k, v in rdn) for rdn in decoded["subject"]]
    return ", ".join(reversed(parts))


def check_manifest(entries, version, clsid, subject, problems):
    by_name = {e.name: e for e in entries}
    root = ET.fromstring(by_name["AppxManifest.xml"].content)

    def need(path, what):
        node = root.find(path, NS)
        if node is None:
            problems.append("manifest: no %s" % what)
        return node

    def attr(node, name, wanted, what):
        if node is not None and node.get(name) != wanted:
            problems.append("manifest: %s %s is %r, expected %r" % (what, name, node.get(name), wanted))

    if root.tag != "{%s}Package" % NS["m"]:
        problems.append("manifest: root is %s" % root.tag)
    identity = need("m:Identity", "Identity")
    attr(identity, "Name", "Torvan.ShellMenu", "Identity")
    attr(identity, "Version", version, "Identity")
    if subject is not None:
        attr(identity, "Publisher", subject, "Identity (the signer's subject)")
    attr(need("m:Dependencies/m:TargetDeviceFamily", "TargetDeviceFamily"), "MinVersion", "10.0.22000.0",
         "TargetDeviceFamily")
    external = need("m:Properties/uap10:AllowExternalContent", "uap10:AllowExternalContent")
    if external is not None and external.text != "true":
        problems.append("manifest: AllowExternalContent is not true")
    logo = need("m:Properties/m:Logo", "Logo")
    if logo is not None and logo.text.replace("\\", "/") not in by_name:
        problems.append("manifest: the logo %s is not in the package" % logo.text)
    if not any(c.get("Name") == "runFullTrust" for c in root.findall("m:Capabilities/rescap:Capability", NS)):
        problems.append("manifest: no runFullTrust capability")
    app = need("m:Applications/m:Application", "Application")
    attr(app, "{%s}TrustLevel" % NS["uap10"], "mediumIL", "Application")
    attr(app, "{%s}RuntimeBehavior" % NS["uap10"], "win32App", "Application")
    attr(need("m:Applications/m:Application/uap:VisualElements", "VisualElements"), "AppListEntry", "none",
         "VisualElements")
    menus = "m:Applications/m:Application/m:Extensions/desktop4:Extension[@Category='windows.fileExplorerContextMenus']"
    types = {t.get("Type"): [v.get("Clsid") for v in t.findall("desktop5:Verb", NS)]
             for t in root.findall(menus + "/desktop4:FileExplorerContextMenus/desktop5:ItemType", NS)}
    for kind in ("*", "Directory"):
        if types.get(kind) != [clsid]:
            problems.append("manifest: item type %s maps to %s" % (kind, types.get(kind)))
    com = "m:Applications/m:Application/m:Extensions/com:Extension[@Category='windows.comServer']"
    server = need(com + "/com:ComServer/com:SurrogateServer/com:Class", "com:SurrogateServer class")
    attr(server, "Id", clsid, "com:Class")
    attr(server, "Path", "TorvanExt.dll", "com:Class")


def check(path, version, clsid):
    problems = []
    with open(path, "rb") as f:
        data = f.read()
    entries, ends = read_zip(data, problems)
    if entries is None:
        return problems
    check_order(entries, problems)
    names = {e.name for e in entries}
    if not set(OWN_PARTS) <= names:
        problems.append("package lacks %s" % sorted(set(OWN_PARTS) - names))
        return problems
    check_block_map(entries, problems)
    check_content_types(entries, problems)
    pkcs7 = check_signature(data, entries, ends, problems)
    subject = signer_subject(pkcs7, problems) if pkcs7 else None
    check_manifest(entries, version, clsid, subject, problems)
    return problems


def rebuilt(data, order=None, store=()):
    """A copy of the package with its records in another order or some stored."""
    problems = []
    entries, _ = read_zip(data, problems)
    entries = [entries[i] for i in order] if order else entries
    out, cd = b"", b""
    for e in entries:
        method, raw = (0, e.content) if e.name in store else (e.method, e.raw)
        name = e.name.encode()
        head = struct.pack("<HHHHHIIIHH", e.needed, 0, method, 0, 0x21, e.crc, len(raw), e.size, len(name), 0)
        cd += b"PK\x01\x02" + struct.pack("<H", e.made) + head + struct.pack("<HHHII", 0, 0, 0, 0, len(out)) + name
        out += b"PK\x03\x04" + head + name + raw
    end64 = struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, len(entries), len(entries), len(cd), len(out))
    locator = struct.pack("<IIQI", 0x07064b50, 0, len(out) + len(cd), 1)
    eocd = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    return out + cd + end64 + locator + eocd


def self_test(path, version, clsid):
    with open(path, "rb") as f:
        data = f.read()
    failures = 0
    if check(path, version, clsid):
        print("msix self-test FAIL: the built package itself does not pass")
        return 1
    logo = data.find(b"IHDR")  # a payload byte, inside the stored logo
    damaged = {
        "one payload byte changed": (data[:logo] + b"J" + data[logo + 1:], "block map"),
        "two entries swapped": (rebuilt(data, order=[1, 0, 2, 3, 4]), "order"),
        "[Content_Types].xml stored": (rebuilt(data, store=("[Content_Types].xml",)), "method 0, expected 8"),
    }
    with tempfile.TemporaryDirectory() as scratch:
        for what, (bytes_, reason) in damaged.items():
            copy = os.path.join(scratch, "damaged.msix")
            with open(copy, "wb") as f:
                f.write(bytes_)
            found = check(copy, version, clsid)
            if any(reason in p for p in found):
                print("msix self-test ok: %s is refused (%s)" % (what, found[0]))
            else:
                print("msix self-test FAIL: %s: %s" % (what, found or "accepted"))
                failures += 1
    return failures


def main(argv):
    test = argv[1:2] == ["--self-test"]
    args = argv[2:] if test else argv[1:]
    if len(args) != 3:
        print(__doc__)
        return 2
    path, version_file, clsid_header = args
    version = open(version_file).read().strip()
    clsid = re.search(r'TORVANCOMMAND_CLSID_TEXT "\{([0-9A-Fa-f-]+)\}"', open(clsid_header).read()).group(1)
    if test:
        return 1 if self_test(path, version, clsid) else 0
    problems = check(path, version, clsid)
    for p in problems:
        print("msix FAIL: " + p)
    if not problems:
        print("msix ok: %s (zip, order, block map, content types, signature digests, manifest)" % path)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
