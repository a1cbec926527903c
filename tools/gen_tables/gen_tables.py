#!/usr/bin/env python3
"""Writes the character-set tables of contract/tables/ from Python's codecs.

    python3 tools/gen_tables/gen_tables.py           # (re)write the files
    python3 tools/gen_tables/gen_tables.py --check   # write nothing; exit 1
                                                     # if a file is stale

Only the standard library is used, and only its codecs (never unicodedata,
whose contents change with the Python version), so the output is the same on
every Python 3 that has them. Every count below is asserted while building.

Hangul (hangul_cp949.cpp): for U+AC00..U+D7A3 the 'cp949' encoding of the
syllable, lead byte high. 2,350 are KS X 1001 codes, 8,822 extension codes.

Chinese (chinese_cp936_runs.inc), 65,536 entries indexed by UTF-16 unit:
  * Every character that 'gbk' (Python's name for code page 936; glibc's
    CP936 decodes the same 21,791 two-byte codes) decodes from a two-byte
    code gets that code. This includes the Latin-1 letters and signs
    U+00A4..U+00FC that have two-byte codes: those entries follow the same
    rule as the rest even though the converter never reads entries below
    U+0100 (it passes those units through as single bytes).
  * U+20AC gets the single byte 0x80 (entry 0x0080), the code page's one
    single byte beyond ASCII. Python's gbk lacks it; ASCII entries are FFFF
    because the converter never reads them.
  * FE 50..FE A0 (80 codes): the character 'gb18030' decodes from each code,
    66 radicals and Extension A ideographs plus 14 private-use characters
    (U+E816, U+E817, ...). None of them has a GBK code.
  * The three user-defined areas take 1,802 characters that GBK lacks, in
    the order GB 18030 gives these codes to U+E000.. (AA A1..AF FE, then
    F8 A1..FE FE, then A1 40..A7 A0, trails 40..7E and 80..A0 in the last):
    the k-th character of this list gets the code of U+E000+k.
      1. U+1200..U+14CE, all 719 code points (Ethiopic, Ethiopic Supplement,
         Cherokee, the start of the Canadian Aboriginal Syllabics), including
         the 36 not assigned as of Unicode 14, so the run is pure arithmetic:
         U+1200 AA A1 .. U+1433 AF FE (564), U+1434 F8 A1 .. U+14CE F9 DD.
      2. The 1,083 lowest CJK Extension A ideographs from U+3400 that neither
         GBK nor the FE 50..FE A0 row encodes (U+3400..U+383F, skipping
         U+3447, U+3473, U+359E, U+360E, U+361A): F9 DE .. FE FE (503), then
         A1 40 .. A7 43 (580).
    So 564 + 658 + 580 = 1,802 codes are used, and with the FE row 1,882;
    A7 44..A7 A0 (92 codes) stay unmapped. No character appears twice.
  * Every other entry is FFFF (unmapped), the private-use range
    U+E000..U+E765 that GB 18030 puts in the user-defined areas included.

Japanese (japanese_cp932_runs.inc), same shape:
  * U+0000..U+007F give the same single byte; U+00B7 gives 0x2E; U+FF61..
    U+FF9F give 0xA1..0xDF. No other single bytes (cp932's 0x80, 0xA0 and
    0xFD..0xFF decodings are not used).
  * Every character 'cp932' decodes from a two-byte code gets that code.
    The 396 characters with more than one code take the JIS X 0208 code
    (leads 81..84, 88..9F, E0..EA) if there is one, else the NEC row 13 code
    (lead 87), else the IBM extension code (leads FA..FC); the NEC-selected
    IBM extension codes (leads ED, EE) are never used. No character has only
    ED/EE codes, so nothing is lost.
  * The user-defined range U+E000..U+E757 (cp932 F0 40..F9 FC) is unmapped.
  * 268 ideographs that cp932 lacks get F0 40..F1 90 (trails 40..7E, 80..FC)
    in ascending code-point order. The first (U+4FCF at F0 40) and the last
    (U+FA06 at F1 90) are fixed codes the engine expects; every national set
    with U+4FCF (JIS X 0212, JIS X 0213, GB 2312, GBK, Big5) also has U+4FD2
    or U+4FDC, which cp932 lacks too, so no such set can put U+4FE0 second
    and U+4FCF is taken by itself:
      U+4FCF (in JIS X 0213 plane 2);
      the 266 lowest ideographs from U+4FE0 upward that both JIS X 0213
      ('shift_jis_2004') and KS X 1001 ('cp949') encode and cp932 lacks:
      kanji of the newer Japanese standard that are also Korean hanja
      (307 qualify below U+FA06; the lowest 266 run U+4FE0..U+9002);
      U+FA06 (last, a KS X 1001 compatibility ideograph).
  * Every other entry is FFFF.

Storage: Hangul is a literal array. The Chinese and Japanese tables are runs
"gap, length, code": skip `gap` units after the previous run, then map
`length` units to `code`, `code`+1, ...; code_tables.cpp expands them once
into direct-indexed arrays.
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT_DIR = ROOT / "contract" / "tables"
UNMAPPED = 0xFFFF


def decode_one(data, codec):
    """The single character `codec` decodes from `data`, or None."""
    try:
        text = data.decode(codec)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def encodes_in_two_bytes(cp, codec):
    try:
        return len(chr(cp).encode(codec)) == 2
    except UnicodeEncodeError:
        return False


def two_byte_decodings(codec, leads, trails):
    """(code, character) for every two-byte code that decodes to one BMP character."""
    for lead in leads:
        for trail in trails:
            cp = decode_one(bytes((lead, trail)), codec)
            if cp is not None and cp <= 0xFFFF:
                yield (lead << 8) | trail, cp


def codes(leads, trails):
    return [(lead << 8) | trail for lead in leads for trail in trails]


def put(table, unit, code):
    assert table[unit] == UNMAPPED, f"U+{unit:04X} mapped twice"
    table[unit] = code


# --- Hangul ------------------------------------------------------------------

def build_hangul():
    table = []
    for cp in range(0xAC00, 0xD7A4):
        lead, trail = chr(cp).encode("cp949")
        table.append((lead << 8) | trail)
    ks = sum(1 for c in table if c >> 8 >= 0xA1 and c & 0xFF >= 0xA1)
    assert (len(table), ks, len(table) - ks) == (11172, 2350, 8822)
    assert [table[cp - 0xAC00] for cp in (0xAC00, 0xAC01, 0xAC02, 0xC548, 0xD7A3)] == [
        0xB0A1, 0xB0A2, 0x8141, 0xBEC8, 0xC652]
    return table


# --- Chinese -----------------------------------------------------------------

GBK_TRAILS = [*range(0x40, 0x7F), *range(0x80, 0xFF)]
FE_ROW = codes([0xFE], [*range(0x50, 0x7F), *range(0x80, 0xA1)])
# The user-defined areas in the order GB 18030 fills them from U+E000.
USER_AREAS = (codes(range(0xAA, 0xB0), range(0xA1, 0xFF)),
              codes(range(0xF8, 0xFF), range(0xA1, 0xFF)),
              codes(range(0xA1, 0xA8), [*range(0x40, 0x7F), *range(0x80, 0xA1)]))
SYLLABICS = range(0x1200, 0x14CF)
EXTENSION_A = range(0x3400, 0x4DB6)


def build_chinese():
    table = [UNMAPPED] * 0x10000
    for code, cp in two_byte_decodings("gbk", range(0x81, 0xFF), GBK_TRAILS):
        put(table, cp, code)
    gbk_count = sum(1 for c in table if c != UNMAPPED)
    assert gbk_count == 21791
    put(table, 0x20AC, 0x0080)

    fe_row = [decode_one(code.to_bytes(2, "big"), "gb18030") for code in FE_ROW]
    assert len(fe_row) == 80 and all(cp is not None and cp <= 0xFFFF for cp in fe_row)
    for code, cp in zip(FE_ROW, fe_row):
        put(table, cp, code)

    area_codes = [code for area in USER_AREAS for code in area]
    assert [len(a) for a in USER_AREAS] == [564, 658, 672]
    assert all(decode_one(code.to_bytes(2, "big"), "gb18030") == 0xE000 + k
               for k, code in enumerate(area_codes))
    extension_a = [cp for cp in EXTENSION_A if table[cp] == UNMAPPED]
    chosen = [*SYLLABICS, *extension_a[:1802 - len(SYLLABICS)]]
    assert len(chosen) == 1802 and chosen[-1] == 0x383F
    for code, cp in zip(area_codes, chosen):
        put(table, cp, code)

    area_sets = [set(area) for area in USER_AREAS]
    in_area = [sum(1 for c in table if c in area) for area in area_sets]
    assert in_area == [564, 658, 580]
    assert sum(1 for c in table if c != UNMAPPED) == gbk_count + 1 + 80 + 1802
    assert table[0x1200] == 0xAAA1 and table[0x2E81] == 0xFE50 and table[0xE816] == 0xFE51
    assert [table[cp] for cp in (0x4E00, 0x3000, 0xFF01, 0x4E2D)] == [
        0xD2BB, 0xA1A1, 0xA3A1, 0xD6D0]
    return table


# --- Japanese ----------------------------------------------------------------

SJIS_LEADS = [*range(0x81, 0xA0), *range(0xE0, 0xFD)]
SJIS_TRAILS = [*range(0x40, 0x7F), *range(0x80, 0xFD)]
USER_DEFINED = range(0xE000, 0xE758)
EXTRA_FIRST, EXTRA_SECOND, EXTRA_LAST = 0x4FCF, 0x4FE0, 0xFA06


def preference(code):
    """Rank of a cp932 code among a character's codes; lowest wins."""
    lead = code >> 8
    if lead <= 0x84 or 0x88 <= lead <= 0x9F or 0xE0 <= lead <= 0xEA:
        return 0          # JIS X 0208
    if lead == 0x87:
        return 1          # NEC row 13
    if 0xFA <= lead <= 0xFC:
        return 2          # IBM extension
    assert lead in (0xED, 0xEE), hex(code)
    return 3              # NEC-selected IBM extension: never chosen


def extra_ideographs(cp932_chars):
    def shared_kanji_hanja(cp):
        return (cp not in cp932_chars and encodes_in_two_bytes(cp, "shift_jis_2004")
                and encodes_in_two_bytes(cp, "cp949"))
    candidates = [cp for cp in range(EXTRA_SECOND, EXTRA_LAST) if shared_kanji_hanja(cp)]
    assert len(candidates) == 307 and candidates[0] == EXTRA_SECOND
    chosen = [EXTRA_FIRST, *candidates[:266], EXTRA_LAST]
    assert chosen[-2] == 0x9002
    assert not {EXTRA_FIRST, EXTRA_LAST} & cp932_chars
    assert encodes_in_two_bytes(EXTRA_FIRST, "shift_jis_2004")
    assert encodes_in_two_bytes(EXTRA_LAST, "cp949")
    return chosen


def build_japanese():
    table = [UNMAPPED] * 0x10000
    for cp in range(0x80):
        put(table, cp, cp)
    put(table, 0x00B7, 0x2E)
    for cp in range(0xFF61, 0xFFA0):
        put(table, cp, cp - 0xFF61 + 0xA1)

    by_char = {}
    for code, cp in two_byte_decodings("cp932", SJIS_LEADS, SJIS_TRAILS):
        by_char.setdefault(cp, []).append(code)
    assert sum(1 for c in by_char.values() if len(c) > 1) == 396
    assert all(0xF040 <= by_char[cp][0] <= 0xF9FC for cp in USER_DEFINED)
    for cp, cp_codes in sorted(by_char.items()):
        if cp in USER_DEFINED:
            continue
        best = min(cp_codes, key=lambda c: (preference(c), c))
        assert preference(best) < 3, f"U+{cp:04X} has only ED/EE codes"
        put(table, cp, best)

    extra_codes = codes([0xF0, 0xF1], SJIS_TRAILS)[:268]
    assert extra_codes[-1] == 0xF190
    for code, cp in zip(extra_codes, extra_ideographs(set(by_char))):
        put(table, cp, code)

    assert [table[cp] for cp in (0x3042, 0x3000, 0xFF5E, 0x2225, 0xFF0D, 0xFFE0, 0xFFE2,
                                 0x2252, 0x2160, 0x2170, 0x4FCF, 0x4FE0, 0xFA06)] == [
        0x82A0, 0x8140, 0x8160, 0x8161, 0x817C, 0x8191, 0x81CA,
        0x81E0, 0x8754, 0xFA40, 0xF040, 0xF041, 0xF190]
    assert all(table[cp] == UNMAPPED for cp in (0x301C, 0x2016, 0x2212, 0x00A2, 0x00A5))
    return table


# --- Output ------------------------------------------------------------------

HEADER = ("// Generated by tools/gen_tables/gen_tables.py from Python's codecs;"
          " do not edit.\n// The rules for every row are documented in that script.\n")


def wrap(items, width=100):
    lines, line = [], ""
    for item in items:
        if line and len(line) + len(item) > width:
            lines.append(line.rstrip())
            line = ""
        line += item + " "
    if line:
        lines.append(line.rstrip())
    return "\n".join(lines) + "\n"


def runs_source(table, what):
    """Runs "gap, length, code" over the mapped entries, as an initializer list body."""
    runs, next_unit = [], 0
    unit = 0
    while unit < 0x10000:
        if table[unit] == UNMAPPED:
            unit += 1
            continue
        start = unit
        while (unit + 1 < 0x10000 and table[unit + 1] != UNMAPPED
               and table[unit + 1] == table[unit] + 1):
            unit += 1
        runs.append(f"{start - next_unit},{unit - start + 1},0x{table[start]:04X},")
        next_unit = unit = unit + 1
    return (HEADER + f"// {what}: {len(runs)} runs of (units skipped since the previous run,"
            " units in the run,\n// code of the first unit; each further unit takes the next"
            " code).\n" + wrap(runs))


def hangul_source(table):
    return (HEADER + '#include "code_tables.h"\n\nnamespace orven::codepage {\n\n'
            "const uint16_t kHangulCp949[11172] = {\n"
            + wrap([f"0x{c:04X}," for c in table]) + "};\n\n}  // namespace orven::codepage\n")


def outputs():
    return {
        "hangul_cp949.cpp": hangul_source(build_hangul()),
        "chinese_cp936_runs.inc": runs_source(build_chinese(), "Code page 936"),
        "japanese_cp932_runs.inc": runs_source(build_japanese(), "Shift_JIS (code page 932)"),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 if a file differs from what would be written")
    args = parser.parse_args()
    stale = []
    for name, text in outputs().items():
        path = OUT_DIR / name
        current = path.read_text(encoding="ascii") if path.exists() else None
        if current == text:
            continue
        stale.append(name)
        if not args.check:
            path.write_text(text, encoding="ascii", newline="\n")
    if args.check and stale:
        print("stale generated tables (run tools/gen_tables/gen_tables.py): "
              + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
