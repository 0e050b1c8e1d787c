"""The resources of a Windows .exe, read straight from the file: the icon
groups with their images, the version information and the manifest, as
Windows' resource loader finds them (PE/COFF, resource directory)."""

import struct

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


class NotAProgram(Exception):
    pass


def _resource_tree(data):
    """{type: {name: bytes of its first language}} from the .rsrc data."""
    if data[:2] != b"MZ":
        raise NotAProgram("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotAProgram("no PE header")
    section_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if rsrc_size == 0:
        return {}
    sections = optional + optional_size

    def offset_of(rva):
        for i in range(section_count):
            s = sections + 40 * i
            size, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, s + 8)
            if address <= rva < address + max(size, raw_size):
                return rva - address + raw_offset
        raise NotAProgram(f"address {rva:#x} lies in no section")

    base = offset_of(rsrc_rva)

    def entries(table):
        named, numbered = struct.unpack_from("<HH", data, base + table + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + table + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                name = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    tree = {}
    for kind, kind_table in entries(0):
        for name, name_table in entries(kind_table & 0x7FFFFFFF):
            _, leaf = next(entries(name_table & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", data, base + leaf)
            start = offset_of(rva)
            tree.setdefault(kind, {})[name] = data[start:start + size]
    return tree


def icon_groups(tree):
    """{group name: [(width, height, image width, image height, format)]}, in
    the order of the file (the first is the one Explorer shows): each image
    as its group lists it and as its own data says it is."""
    groups = {}
    for name, group in tree.get(RT_GROUP_ICON, {}).items():
        count = struct.unpack_from("<H", group, 4)[0]
        images = []
        for i in range(count):
            w, h, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            image = tree.get(RT_ICON, {}).get(icon_id, b"")
            if image[:8] == b"\x89PNG\r\n\x1a\n":
                iw, ih = struct.unpack(">II", image[16:24])
                fmt = "png"
            elif len(image) >= 12:
                iw, ih = struct.unpack_from("<ii", image, 4)
                ih //= 2  # a bitmap icon's height counts its mask too
                fmt = "bmp"
            else:
                iw = ih = 0
                fmt = "missing"
            images.append((w or 256, h or 256, iw, ih, fmt))
        groups[name] = images
    return groups


def _version_block(data, at):
    """(key, value bytes, value type, children, end) of one VERSIONINFO block."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[pos:pos + value_size]
    pos = (pos + value_size + 3) & ~3
    children = []
    while pos < end:
        child = _version_block(data, pos)
        children.append(child)
        pos = (child[4] + 3) & ~3
    return key, value, value_type, children, end


def version_info(tree):
    """(file version, product version, {string name: value}) of the first
    version resource, or None when there is none."""
    resources = tree.get(RT_VERSION, {})
    if not resources:
        return None
    data = next(iter(resources.values()))
    key, fixed, _, children, _ = _version_block(data, 0)
    if key != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed, 0)[0] != 0xFEEF04BD:
        return None
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)

    def quad(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    strings = {}
    for child_key, _, _, tables, _ in children:
        if child_key == "StringFileInfo":
            for _, _, _, values, _ in tables:
                for name, value, _, _, _ in values:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return quad(file_ms, file_ls), quad(product_ms, product_ls), strings


def read(path):
    with open(path, "rb") as f:
        return _resource_tree(f.read())
