#!/usr/bin/env python3
"""Writes the seed inputs of the fuzzers. For LUT loading: small files of every readable
format family, valid and broken variants that reach the readers' error paths. For the XML
reader: small documents shaped like the XML LUT formats and odd or truncated ones. The Hald-sized
pictures come from make-picture-seeds.sh. The output is deterministic.

Usage: make-seeds.py [OUTPUT_FOLDER [XML_OUTPUT_FOLDER]]
       (default: the seeds and seeds-xml folders beside this script)
"""

import math
import os
import struct
import sys


def grid_lines(size, scale=1.0, integers=False):
    """Value lines of a graded grid, red index varying fastest."""
    lines = []
    top = size - 1
    for b in range(size):
        for g in range(size):
            for r in range(size):
                values = (
                    (r / top) ** 0.9,
                    0.02 + 0.96 * g / top,
                    min(1.0, 1.05 * b / top),
                )
                if integers:
                    lines.append(" ".join(str(round(v * scale)) for v in values))
                else:
                    lines.append(" ".join(f"{v:.6f}" for v in values))
    return lines


def cube(size, header=None, comments=("seed grid",)):
    lines = [f"# {c}" for c in comments]
    lines += header if header is not None else [f"LUT_3D_SIZE {size}"]
    return lines + grid_lines(size)


def truelight(size):
    return (
        [
            "# Truelight Cube v2.0",
            "# iDims     3",
            "# oDims     3",
            f"# width     {size} {size} {size}",
            "",
            "# Cube",
        ]
        + grid_lines(size)
        + ["# end"]
    )


def fsi_cfe(size):
    return [
        "LUT_3D_AUTHOR seed",
        "LUT_3D_MODEL CM240",
        "LUT_3D_VERSION 2.0.0",
        f"LUT_3D_SIZE {size}",
        "",
    ] + grid_lines(size)


def panasonic(size):
    return ["# seed", "", f"LUT_3D_SIZE {size}", ""] + grid_lines(size, 4095, integers=True)


def cube_1d(size):
    top = size - 1
    return [f"LUT_1D_SIZE {size}"] + [
        f"{(i / top) ** 0.8:.6f} {i / top:.6f} {(i / top) ** 1.2:.6f}" for i in range(size)
    ]


def cdl(slope="1.1 1.0 0.9", offset="0.01 0 -0.02", power="1.2 1 0.8", sat="0.8",
        head="", id_attribute=' id="seed"'):
    lines = [head] if head else []
    lines += [
        f"<ColorCorrection{id_attribute}>",
        "  <SOPNode>",
        "    <Description>seed</Description>",
        f"    <Slope>{slope}</Slope>",
        f"    <Offset>{offset}</Offset>",
        f"    <Power>{power}</Power>",
        "  </SOPNode>",
    ]
    if sat is not None:
        lines += ["  <SATNode>", f"    <Saturation>{sat}</Saturation>", "  </SATNode>"]
    return lines + ["</ColorCorrection>"]


def cdl_seeds():
    """ASC CDL files for the LUT loading fuzzer."""
    return [
        ("cdl.cc", cdl()),
        ("cdl-no-sat.cc", cdl(sat=None, id_attribute="")),
        ("cdl-commas.cc", cdl(slope="1,1,1", offset="0,0,0", power="1,1,1", sat="0,5",
                              head='<?xml version="1.0" encoding="UTF-8"?>')),
        ("cdl-cdata.cc", cdl(slope="<![CDATA[1 1 1]]>", sat="-0.5")),
        ("cdl-bad-number.cc", cdl(offset="0  0 0")),
        ("cdl-missing-power.cc", [l for l in cdl() if "Power" not in l]),
        ("cdl-collection.ccc", ["<ColorCorrectionCollection>"] + cdl() + cdl()
         + ["</ColorCorrectionCollection>"]),
        ("cdl-list.cdl", ["<ColorDecisionList>", "<ColorDecision>"] + cdl()
         + ["</ColorDecision>", "</ColorDecisionList>"]),
        # Corrections with and without ids, and a decision naming an earlier one.
        ("cdl-collection-three.ccc", ["<ColorCorrectionCollection>"]
         + cdl(id_attribute=' id="a"') + cdl(slope="0.9 1 1.1", id_attribute="")
         + cdl(sat="1.2", id_attribute=' id="c"') + ["</ColorCorrectionCollection>"]),
        ("cdl-list-ref.cdl", ["<ColorDecisionList>", "<ColorDecision>"]
         + cdl(id_attribute=' id="a"') + ["</ColorDecision>", "<ColorDecision>",
                                          '<ColorCorrectionRef ref="a"/>', "</ColorDecision>",
                                          "</ColorDecisionList>"]),
        # A saturation alone beside an element of another name.
        ("cdl-sat-beside-asc-sop.cc", [l.replace("SOPNode", "ASC_SOP") for l in cdl()]),
    ]


def codes_blue_fastest(size, top):
    """Value lines of a graded grid as integer codes 0..top, blue index varying fastest."""
    last = size - 1
    return [" ".join(str(round(v * top)) for v in ((r / last) ** 0.9, 0.02 + 0.96 * g / last,
                                                   min(1.0, 1.05 * b / last)))
            for r in range(size) for g in range(size) for b in range(size)]


def bgr_lines(size):
    """Value lines of a graded grid as B G R reals, red index varying fastest."""
    return [" ".join(reversed(line.split(" "))) for line in grid_lines(size)]


def clipster(size=2, attributes="name='seed' N='2' BitDepth='12'", values=None):
    return [f"<LUT3D {attributes}>", "<values>"] + (
        values if values is not None else codes_blue_fastest(size, 4095)) + ["</values>",
                                                                             "</LUT3D>"]


def nucoda(version=1, shaper=4, size=2):
    lines = [f"NUCODA_3D_CUBE {version}", "", 'TITLE "seed"', ""]
    if shaper:
        lines.append(f"LUT_1D_SIZE {shaper}")
    if size:
        lines.append(f"LUT_3D_SIZE {size}")
    lines.append("")
    lines += [f"{v:.6f} {v:.6f} {v:.6f}" for v in (33 * i / (shaper - 1) for i in range(shaper))]
    return lines + ([""] + grid_lines(size) if size else [])


def code_and_real_grid_seeds():
    """Codex, Luther and Clipster grids of codes and Nucoda, Colorfront and DaVinci grids of
    reals, valid and broken."""
    codex = ["# seed", "Lut3D: 2", "", "R\tG\tB"] + codes_blue_fastest(2, 4095)
    return [
        ("codex-2.txt", codex),
        ("codex-short.txt", codex[:-3]),
        ("codex-101.txt", ["Lut3D: 101", "0 0 0"]),
        ("luther-3.txt", ["#channels: c3", "#elements = 27"] + codes_blue_fastest(3, 1023)),
        ("luther-blank.txt", ["#channels: c3", "#elements = 8 ", "0 0 0"]),
        ("luther-huge.txt", ["#channels: c3", "#elements = 2147483647", "0 0 0"]),
        ("clipster-2.txt", clipster()),
        ("clipster-quoted.txt", clipster(attributes='name="a &amp; b&apos;s" N="2.0" '
                                                    'BitDepth="12"')),
        ("clipster-no-n.txt", clipster(attributes="BitDepth='12'")),
        ("clipster-depth-0.txt", clipster(attributes="N='2' BitDepth='0'")),
        ("clipster-short.txt", clipster(values=codes_blue_fastest(2, 4095)[:5])),
        ("clipster-n-101.txt", clipster(attributes="N='101' BitDepth='8'", values=["0 0 0"])),
        ("nucoda-shaper.cms", nucoda()),
        ("nucoda-3d.cms", nucoda(version=3, shaper=0)[:4] + ["LUT_3D_SIZE 2"] + grid_lines(2)),
        ("nucoda-1d.cms", nucoda(version=2, shaper=8, size=0)),
        ("nucoda-no-size.cms", ["NUCODA_3D_CUBE 1", 'TITLE "x"', "0 0 0"]),
        ("nucoda-resize.cms", ["NUCODA_3D_CUBE 1", "LUT_3D_SIZE 3"] + grid_lines(3)[:20]
         + ["LUT_3D_SIZE 2"] + grid_lines(2)),
        ("nucoda-1d-101k.cms", ["NUCODA_3D_CUBE 2", "LUT_1D_SIZE 100002", "0 0 0"]),
        ("colorfront-2.3dmesh", bgr_lines(2)),
        ("colorfront-short.3dmesh", bgr_lines(3)[:-4]),
        ("davinci-2.dat", ["# seed"] + bgr_lines(2)),
        ("davinci-size.dat", ["0.5 0.5 0.5", "3DLUTSIZE 3", ""] + bgr_lines(3)),
        ("davinci-101.dat", ["3DLUTSIZE 101", "0 0 0"]),
    ]


def curve(size, bits=None, divisor=None):
    """Three curves of a 1D table: reals, or integer codes at a bit depth or a top code."""
    top = divisor if divisor is not None else (2 ** bits - 1 if bits else None)
    rows = []
    for i in range(size):
        x = i / (size - 1)
        values = (x ** 0.8, x, min(1.0, 1.1 * x))
        rows.append(tuple(round(v * top) for v in values) if top else values)
    return rows


def one_d_seeds():
    """The 1D text formats and the SpeedGrade look, valid and broken."""
    reals = [f"{r:.6f} {g:.6f} {b:.6f}" for r, g, b in curve(8)]
    codes16 = curve(8, bits=16)
    codes10 = curve(8, bits=10)
    codex = curve(8, divisor=7)
    # The identity on 2 nodes, red fastest, as little-endian single-precision hexadecimal.
    look_data = "".join(struct.pack("<fff", r, g, b).hex().upper()
                        for b in range(2) for g in range(2) for r in range(2))
    look = ['<?xml version="1.0" ?>', "<look>", "  <shaders>", "    <shader>",
            "      <parameters>", "      </parameters>", "    </shader>", "  </shaders>",
            "  <LUT>", '    <size>"2"</size>', '    <data>"']
    look += ["      " + look_data[i:i + 64] for i in range(0, len(look_data), 64)]
    look[-1] += '"'
    look += ["    </data>", "</LUT>", "</look>"]
    return [
        ("cube1d-later-size.cube", ["LUT_1D_SIZE 4"] + reals[:4] + ["LUT_1D_SIZE 8"] + reals[4:]),
        ("cube1d-big.cube", ["LUT_1D_SIZE 100002"] + reals[:2]),
        ("codex-3.dat", ["# seed", "LUT: 3 8", ""] + [str(v[c]) for c in range(3) for v in codex]),
        ("codex-1.dat", ["LUT: 1 8"] + [str(v[0]) for v in codex]),
        ("codex-two-counts.lut", ["LUT: 3 8 8"] + [str(v[0]) for v in codex]),
        ("codex-one.dat", ["LUT: 3 1", "0"]),
        ("codex-short.dat", ["LUT: 3 8"] + [str(v[0]) for v in codex]),
        ("lustre-16.lut", ["LUT16", "", "# seed", ""]
         + [f"{i} {r} {g} {b}" for i, (r, g, b) in enumerate(codes16)]),
        ("lustre-12-lower.lut", ["lut12", "0 0 0 0"]),
        ("filmlight.cube", ["# Truelight Cube v2.0", "# lutLength 8", "# iDims     3", "",
                            "# InputLUT"] + reals + ["# end"]),
        ("quantel.txt", ["table type\t2", "", "gMax\t1023", "gSize\t8", "", "gamma",
                         "r\tg\tb"] + [f"{r} {g} {b}" for r, g, b in codes10]),
        ("quantel-gmax0.txt", ["table type 2", "gMax 0", "gSize 2", "0 0 0"]),
        ("stwo.swto.xml", ['<?xml version="1.0"?>', '<lut name="seed">', "<data>"]
         + [f'<elem r="{r}" g="{g}" b="{b}"/>' for r, g, b in codes10] + ["</data>", "</lut>"]),
        ("stwo-no-data.xml", ["<lut><elem r='1'/></lut><!-- <data> -->"]),
        ("colorfront.1dlut", ["# seed"] + reals),
        ("fusion.alut", ["F5LT", "", "16", ""]
         + [f"{i} {r} {i} {g} {i} {b}" for i, (r, g, b) in enumerate(codes16)]),
        ("fusion-depth.alut", ["F5LT", "99", "0 1 0 1 0 1"]),
        ("blackmagic.txt", ["R\tG\tB - HDLINK GAMMA TABLE"]
         + [f"{r * 1000:.2f} {g * 1000:.2f} {b * 1000:.2f}" for r, g, b in curve(8)]),
        ("davinci.ilut", ["# seed"] + [f"{r} {g} {b} x" for r, g, b in curve(8, bits=14)]),
        ("davinci.olut", [f"{r} {g} {b}" for r, g, b in curve(8, bits=12)]),
        ("speedgrade.look", look),
        ("speedgrade-short.look", look[:-5] + ['"', "    </data>", "</LUT>", "</look>"]),
        ("speedgrade-big.look", look[:9] + ['    <size>"102"</size>', '    <data>""</data>',
                                            "</LUT>", "</look>"]),
        ("speedgrade-negative.look", look[:9] + ['    <size>"-1"</size>',
                                                 '    <data>"0000C07F"</data>', "</LUT>",
                                                 "</look>"]),
    ]


def xml_seeds():
    """Documents for the XML reader fuzzer, shaped like the XML LUT formats, and odd ones."""
    codes = grid_lines(2, 65535, integers=True)
    return [
        ("clipster.txt", ["<LUT3D name='seed' N='2' BitDepth='16'>", "<values>"] + codes
         + ["</values>", "</LUT3D>"]),
        ("stwo.swto.xml", ['<?xml version="1.0"?>', '<lut name="seed">', "<data>"]
         + [f'<elem r="{i}" g="{i * 2}" b="{i * 3}"/>' for i in range(4)]
         + ["</data>", "</lut>"]),
        ("pfclean.pfl", ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
                         '<lut type="ascii">', "<maximum>255</maximum>", "<size>2</size>",
                         "<cube>"] + grid_lines(2, 255, integers=True) + ["</cube>", "</lut>"]),
        ("look.look", ['<?xml version="1.0" ?>', "<look>", "  <shaders>", "    <shader>",
                       '      <name>"LUT"</name>', "      <parameters>",
                       '          <LUT>"seed.cube"</LUT>', "      </parameters>",
                       "    </shader>", "  </shaders>", "  <LUT>", '    <size>"2"</size>',
                       '    <data>"', "      0000803f000000000000803f" * 2 + '"',
                       "    </data>", "</LUT>", "</look>"]),
        ("cdl.cc", cdl()),
        ("comments-cdata.xml", ["<!-- a --><!-- b -->", "<a x=1 y='2' z=\"3 4\">",
                                "<![CDATA[<not a tag>]]>text<!-- c --></a><!-- end -->"]),
        ("doctype.xml", ["<!DOCTYPE lut [<!ENTITY e 'x'>]>", "<?pi data?>",
                         "<LUT><Data>&amp;&#65;</Data></lut>"]),
        ("unclosed.xml", ["<a><b><c attr='1", "text<!-- open"]),
        ("unbalanced.xml", ["<a><b>1</c></a></a></a>trailing<", "<"]),
    ]


def code_lines(size, top, index=False, separator=" "):
    """Value lines of a graded grid as integer codes 0..top, blue index varying fastest."""
    lines = []
    last = size - 1
    for r in range(size):
        for g in range(size):
            for b in range(size):
                values = ((r / last) ** 0.9, 0.02 + 0.96 * g / last, min(1.0, 1.05 * b / last))
                codes = [str(round(v * top)) for v in values]
                if index:
                    codes.insert(0, str(len(lines)))
                lines.append(separator.join(codes))
    return lines


def breakpoints(size):
    return " ".join(str(math.ceil(i * 1023 / (size - 1))) for i in range(size))


def threedl(size, top=4095, with_breakpoints=True):
    head = ["# seed grid"] + ([breakpoints(size)] if with_breakpoints else ["0 0 0"])
    return head + code_lines(size, top) + ["# after the grid"]


def lustre(exponent, bits):
    size = 2 ** exponent + 1
    return (["3DMESH", f"Mesh {exponent} {bits}", breakpoints(size), ""]
            + code_lines(size, 2 ** bits - 1) + ["", "LUT8", "gamma 1.0"])


def pandora(size, bits):
    return (["#HEADER", "#END", "", "channel 3d", f"in {size ** 3}", f"out {2 ** bits}", "",
             "format lut", "", "values\tred\tgreen\tblue"]
            + code_lines(size, 2 ** bits - 1, index=True, separator="\t"))


def quantel(size, bits):
    return ([f"max value {2 ** bits - 1}", f"vertices {size}", "blue is fastest changing", "",
             "cube data", "R G B"] + code_lines(size, 2 ** bits - 1))


def integer_coded_seeds():
    """(file name, lines) pairs of the integer-coded grids, valid and broken."""
    return [
        ("3dl-3.3dl", threedl(3)),
        ("3dl-5-16bit.3dl", threedl(5, 65535)),
        ("3dl-2-16bit-too-deep.3dl", threedl(2, 65535)),
        ("3dl-3-no-breakpoints.3DL", threedl(3, with_breakpoints=False)),
        ("3dl-101-breakpoints.3dl", [" ".join(["7"] * 101), "0 0 0"]),
        ("3dl-24bit.3dl", ["0 1023", "0 0 0", "0 0 16777215"]),
        ("3dl-short.3dl", threedl(3)[:-5]),
        ("lustre-3.lut", lustre(1, 12)),
        ("lustre-2.3dl", lustre(0, 10)),
        ("lustre-mesh-7.lut", ["3DMESH", "Mesh 7 12", "0 0 0"]),
        ("lustre-mesh-0-bits.lut", ["3DMESH", "Mesh 1 0", "0 0 0"]),
        ("lustre-no-mesh.lut", ["3DMESH"] + code_lines(2, 4095)),
        ("lustre-shrinks.lut", ["3DMESH", "Mesh 2 8"] + code_lines(3, 255) + ["Mesh 0 8"]
         + code_lines(3, 255)),
        ("pandora-2.m3d", pandora(2, 16)),
        ("pandora-3.mga", pandora(3, 12)),
        ("pandora-out-1.m3d", ["channel 3d", "in 8", "out 1", "format lut", "0 0 0 0"]),
        ("pandora-in-big.m3d", ["channel 3d", "in 1030301", "out 4096", "format lut"]),
        ("quantel-2.txt", quantel(2, 12)),
        ("quantel-max-0.txt", ["vertices 2", "max value 0", "0 0 0"]),
        ("quantel-vertices-129.txt", ["max value 4095", "vertices 129", "0 0 0"]),
    ]


def pfclean(size, maximum="255", cube=None):
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>', '<lut type="ascii">',
             f"<maximum>{maximum}</maximum>", f"<size>{size}</size>", "<cube>"]
    if cube is None:
        cube = [" ".join(reversed(l.split())) for l in grid_lines(size, 255, integers=True)]
    return lines + cube + ["</cube>", "</lut>"]


def matchlight(entries, nodes, shaper_lines=None, grid=None):
    shaper = shaper_lines if shaper_lines is not None else [
        f"{15 * i / max(1, entries - 1):.4f} {15 * i / max(1, entries - 1):.4f} 0"
        for i in range(entries)]
    return (["# MatchLight seed", f"lutS {entries}", f"cubeS {nodes}"] + shaper
            + (grid if grid is not None else grid_lines(nodes)))


def format_seeds():
    """PFClean and MatchLight files, whole and broken."""
    return [
        ("pfclean-2.pfl", pfclean(2)),
        ("pfclean-max0.pfl", pfclean(2, maximum="0")),
        ("pfclean-size-big.pfl", pfclean(2)[:3] + ["<size>1000</size>", "<cube>", "0 0 0",
                                                   "</cube>", "</lut>"]),
        ("pfclean-short.pfl", pfclean(3, cube=["0 0 0", "junk", "", "255 255"])),
        ("pfclean-no-cube.pfl", pfclean(2)[:4] + ["<cube>", "</lut>"]),
        ("matchlight-2.mlc", matchlight(4, 2)),
        ("matchlight-short.mlc", matchlight(4, 2)[:-2]),
        ("matchlight-no-shaper.txt", matchlight(0, 2)),
        ("matchlight-big.mlc", ["lutS 100002", "cubeS 2", "0 0 0"]),
        ("matchlight-one-line.mlc", ["lutS 2 cubeS 2", "0 0 0"]),
    ]


def fsi_dit_seeds():
    """(file name, bytes): FSI DIT files cut short; a whole one is over a megabyte."""
    header = bytearray(128)
    header[0:4] = (0x42340299).to_bytes(4, "little")
    header[4:8] = (0x01000002).to_bytes(4, "little")
    header[44:48] = (0x00100000).to_bytes(4, "little")
    header[48:64] = b"Vorn LUT Convert"
    words = b"".join((min(1023, 16 * (i % 64)) | (i % 1024) << 10 | 0xC0000000).to_bytes(4, "little")
                     for i in range(256))
    return [
        ("fsi-dit-magic.dat", bytes(header[:4])),
        ("fsi-dit-head.dat", bytes(header)),
        ("fsi-dit-words.dat", bytes(header) + words),
        ("fsi-dit-odd.dat", bytes(header) + words[:7]),
    ]


def process_list(nodes, root='id="seed" compCLFversion="3"'):
    return ['<?xml version="1.0" encoding="UTF-8"?>', f"<ProcessList {root}>",
            "<Description>seed</Description>"] + nodes + ["</ProcessList>"]


def clf_node(element, depths, body, attributes=""):
    return [f'<{element} inBitDepth="{depths[0]}" outBitDepth="{depths[1]}"{attributes}>'] + body + [
        f"</{element}>"]


def clf_seeds():
    """Process lists (.clf, .ctf): tables, grids, evaluated lists and broken ones."""
    table = clf_node("LUT1D", ("10i", "10i"), ['<Array dim="4 1">', "0 300 700 1023", "</Array>"])
    grid = clf_node("LUT3D", ("10i", "12i"), ['<Array dim="2 2 2 3">'] + grid_lines(2, 4095)
                    + ["</Array>"], ' interpolation="tetrahedral"')
    matrix = clf_node("Matrix", ("32f", "32f"),
                      ['<Array dim="3 4">', "1 0.1 0 0.01", "0 1 0 0", "0 0.2 1 -0.02", "</Array>"])
    rng = clf_node("Range", ("32f", "32f"), ["<minInValue>0.1</minInValue>",
                                             "<maxInValue>0.9</maxInValue>",
                                             "<minOutValue>0</minOutValue>",
                                             "<maxOutValue>1</maxOutValue>"])
    log = clf_node("Log", ("32f", "32f"), ['<LogParams base="10" logSideSlope="0.5" '
                                           'linSideOffset="0.01"/>'], ' style="linToLog"')
    exponent = clf_node("Exponent", ("32f", "32f"), ['<ExponentParams exponent="2.2" '
                                                     'offset="0.099"/>'], ' style="monCurveRev"')
    cdl_node = clf_node("ASC_CDL", ("32f", "32f"), ["<SOPNode>", "<Slope>1.1 1 0.9</Slope>",
                                                    "<Offset>0 0.01 0</Offset>",
                                                    "<Power>1 1.2 0.8</Power>", "</SOPNode>",
                                                    "<SatNode><Saturation>0.8</Saturation>"
                                                    "</SatNode>"], ' style="FwdNoClamp"')
    gamma = clf_node("Gamma", ("32f", "32f"), ['<GammaParams gamma="2.4" offset="0.055"/>'],
                     ' style="moncurveFwd"')
    return [
        ("clf-table.clf", process_list(table)),
        ("clf-grid.clf", process_list(grid)),
        ("clf-shaper-grid.clf", process_list(table + grid)),
        ("clf-every-node.clf", process_list(matrix + rng + log + exponent + cdl_node)),
        ("clf-nan.clf", process_list(clf_node("LUT1D", ("32f", "32f"),
                                              ['<Array dim="2 3">', "nan -inf 0 1 INF 1",
                                               "</Array>"]))),
        ("clf-index-map.clf", process_list(
            clf_node("LUT1D", ("10i", "10i"), ['<IndexMap dim="2">64@0 940@3</IndexMap>',
                                               '<Array dim="4 1">', "0 300 700 1023",
                                               "</Array>"]),
            'id="seed" compCLFversion="2.0"')),
        ("ctf-gamma-dither.ctf", process_list(
            gamma + ['<Dither inBitDepth="32f" outBitDepth="32f"/>'], 'version="2.0"')),
        ("ctf-unevaluated.ctf", process_list(
            ['<ExposureContrast inBitDepth="32f" outBitDepth="32f" style="linear"/>'],
            'version="2.0"')),
        ("clf-depth-mismatch.clf", process_list(table + matrix)),
        ("clf-bad-dim.clf", process_list(
            clf_node("LUT3D", ("32f", "32f"), ['<Array dim="2 3 2 3">', "0 0 0", "</Array>"]))),
        ("clf-too-few.clf", process_list(
            clf_node("Matrix", ("32f", "32f"), ['<Array dim="3 3">', "1 0 0", "</Array>"]))),
        ("clf-unclosed.clf", process_list(table)[:-2]),
        ("clf-no-id.clf", process_list(table, 'compCLFversion="3"')),
        ("clf-big-grid.clf", process_list(
            clf_node("LUT3D", ("32f", "32f"), ['<Array dim="102 102 102 3">', "0", "</Array>"]))),
    ]


def seeds():
    """(file name, text) pairs."""
    two = cube(2)
    return [
        ("cube-2.cube", two),
        ("cube-3-title-domain.cube",
         ['TITLE "seed"', "DOMAIN_MIN 0 0 0", "DOMAIN_MAX 1 1 1", "LUT_3D_SIZE 3"]
         + grid_lines(3)),
        ("cube-2-lowercase.cube", cube(2, header=["lut_3d_size 2"])),
        ("cube-2-commas-tabs.cube",
         ["LUT_3D_SIZE 2"] + [l.replace(" ", ",", 1).replace(" ", "\t") for l in grid_lines(2)]),
        ("cube-2-four-values.cube", ["LUT_3D_SIZE 2"] + [l + " 1" for l in grid_lines(2)]),
        ("cube-2-short.cube", two[:-3]),
        ("cube-101.cube", ["LUT_3D_SIZE 101", "0 0 0"]),
        ("cube-size-text.cube", ["LUT_3D_SIZE 2x"] + grid_lines(2)),
        ("cube-size-empty.cube", ["LUT_3D_SIZE"] + grid_lines(2)),
        ("cube-1d.cube", cube_1d(16)),
        ("cube-2-domain.cube",
         ["LUT_3D_SIZE 2", "DOMAIN_MIN -0.1 0 0.5", "DOMAIN_MAX 1.5 2 3"] + grid_lines(2)),
        ("cube-2-domain-empty.cube",
         ["LUT_3D_SIZE 2", "DOMAIN_MIN 1 0 0", "DOMAIN_MAX 1 1 1"] + grid_lines(2)),
        ("cube-2-domain-short.cube", ["LUT_3D_SIZE 2", "DOMAIN_MIN 0 0"] + grid_lines(2)),
        ("cube-shaper-ranges.cube",
         ["LUT_1D_SIZE 4", "LUT_1D_INPUT_RANGE -1 3", "LUT_3D_SIZE 2", "LUT_3D_INPUT_RANGE 0 4"]
         + cube_1d(4)[1:] + grid_lines(2)),
        ("cube1d-range.cube", cube_1d(8)[:1] + ["LUT_1D_INPUT_RANGE -0.25 1.25"] + cube_1d(8)[1:]),
        ("cube1d-domain.cube",
         cube_1d(8)[:1] + ["DOMAIN_MIN 0 0.1 0.2", "DOMAIN_MAX 1 2 1e308"] + cube_1d(8)[1:]),
        ("truelight-2.cube", truelight(2)),
        ("truelight-width-big.cube", truelight(2)[:3] + ["# width     200 200 200", "0 0 0"]),
        ("fsi-2.cfe", fsi_cfe(2)),
        ("panasonic-3.vlt", panasonic(3)),
        ("spimtx.spimtx", ["0.754338638 0.133697046 0.111968437 655.35",
                           "0.021198141 1.005410934 -0.026610548 0",
                           "-0.009756991 0.004508563 1.005253201 -3276.75"]),
        ("spimtx-eleven.spimtx", ["1 0 0 0", "0 1 0 0", "0 0 1"]),
    ] + integer_coded_seeds()


def node_lines(size):
    """spi3d node lines: the indices, then the values, blue fastest."""
    return [f"{r} {g} {b} {v}" for (r, g, b), v in
            zip(((r, g, b) for r in range(size) for g in range(size) for b in range(size)),
                [grid_lines(size)[b * size * size + g * size + r]
                 for r in range(size) for g in range(size) for b in range(size)])]


def csp(kind, prelut, body):
    return ["CSPLUTV100", kind, "", "BEGIN METADATA", "seed", "END METADATA"] + prelut + body


def pipeline_seeds():
    """The formats of open colour pipelines (spi1d, spi3d, csp, vf, itx), whole and broken."""
    spi1d = ["Version 1", "From -0.125 1.125", "Length 16", "Components 1", "{"]
    entries = [f"{(i / 15) ** 0.45:.6f}" for i in range(16)]
    identity = ["2", "0 1", "0 1"] * 3
    uneven = ["3", "0 0.25 1", "0 0.75 1", "0", "4", "-0.1 0.2 0.5 1.5", "0 0.3 0.6 1"]
    vf = ["#Inventor V2.1 ascii", "grid_size 2 2 2",
          "global_transform 0.5 0 0 0 0 0.5 0 0 0 0 0.5 0 0 0 0 1", "data"]
    blue_fastest = [grid_lines(2)[b * 4 + g * 2 + r]
                    for r in range(2) for g in range(2) for b in range(2)]
    return [
        ("spi1d-16.spi1d", spi1d + entries + ["}"]),
        ("spi1d-rgb.spi1d", spi1d[:3] + ["Components 3", "{"] + grid_lines(2)[:16] + ["}"]),
        ("spi1d-short.spi1d", spi1d + entries[:9]),
        ("spi1d-length-big.spi1d", spi1d[:2] + ["Length 2000000000", "Components 1", "{", "0"]),
        ("spi3d-2.spi3d", ["SPILUT 1.0", "3 3", "2 2 2"] + node_lines(2)),
        ("spi3d-outside.spi3d", ["SPILUT 1.0", "3 3", "2 2 2", "0 0 2 0 0 0"] + node_lines(2)),
        ("spi3d-size-big.spi3d", ["SPILUT 1.0", "3 3", "4096 4096 4096", "0 0 0 0 0 0"]),
        ("csp-3d.csp", csp("3D", identity, ["", "2 2 2"] + grid_lines(2))),
        ("csp-1d-uneven.csp", csp("1D", uneven, ["", "3", "0 0 0", "0.5 0.4 0.3", "1 1 1"])),
        ("csp-count-wrong.csp", csp("3D", ["3", "0 1", "0 1"], [])),
        ("csp-prelut-big.csp", csp("3D", ["2000000000", "0 1", "0 1"], [])),
        ("csp-3d-short.csp", csp("3D", identity, ["", "2 2 2"] + grid_lines(2)[:5])),
        ("vf-2.vf", vf + blue_fastest),
        ("vf-transform-mixes.vf", vf[:2] + ["global_transform 1 1 0 0 0 1 0 0 0 0 1 0 0 0 0 1",
                                            "data"] + blue_fastest),
        ("vf-short.vf", vf + blue_fastest[:3]),
        ("iridas-2.itx", ["LUT_3D_SIZE 2"] + grid_lines(2)),
        ("iridas-short.itx", ["LUT_3D_SIZE 3"] + grid_lines(2)),
    ]


def write(folder, name, lines, line_break="\n"):
    with open(os.path.join(folder, name), "wb") as f:
        f.write((line_break.join(lines) + line_break).encode("ascii"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "seeds")
    xml_folder = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "seeds-xml")
    os.makedirs(folder, exist_ok=True)
    os.makedirs(xml_folder, exist_ok=True)
    for name, lines in (seeds() + cdl_seeds() + code_and_real_grid_seeds() + one_d_seeds()
                        + format_seeds() + clf_seeds()):
        write(folder, name, lines)
    for name, lines in pipeline_seeds():
        write(folder, name, lines)
    for name, data in fsi_dit_seeds():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    for name, lines in xml_seeds() + clf_seeds():
        write(xml_folder, name, lines)
    # Line breaks and a NUL byte, which the text reader treats specially.
    write(folder, "cube-2-cr.cube", cube(2), "\r")
    write(folder, "cube-2-crlf.cube", cube(2), "\r\n")
    with open(os.path.join(folder, "cube-2-nul.cube"), "wb") as f:
        f.write(("\n".join(cube(2)[:5]) + "\n\0" + "\n".join(grid_lines(2))).encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
