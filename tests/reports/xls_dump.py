"""Dumps an Excel 97-2003 workbook as JSON for tst_xls_workbook.

usage: /usr/bin/python3 xls_dump.py FILE

Prints one JSON object:
  problems  structural faults found by walking the raw BIFF8 records of the
            "Workbook" stream (empty for a sound file)
  warnings  whatever xlrd logged while reading the file
  records   how many CONTINUE, FONT, FORMAT and XF records the globals hold
  sheets    [{"name", "widths": {column: characters}, "rows": [[cell, ...], ...]}]
            a cell is null when empty, else [type, value, number format, bold];
            trailing empty cells of a row are left out, and rows that only exist
            as ROW records still count
"""

import io
import json
import math
import struct
import sys

import xlrd
from xlrd import compdoc

MAX_RECORD_DATA = 8224

BOF, EOF, CONTINUE = 0x0809, 0x000A, 0x003C
CODEPAGE, FONT, FORMAT, XF, STYLE = 0x0042, 0x0031, 0x041E, 0x00E0, 0x0293
BOUNDSHEET, SST, EXTSST = 0x0085, 0x00FC, 0x00FF
DIMENSIONS, ROW, LABELSST, NUMBER, WINDOW2 = 0x0200, 0x0208, 0x00FD, 0x0203, 0x023E


class Checker:
    def __init__(self, stream):
        self.stream = stream
        self.problems = []
        self.counts = {"CONTINUE": 0, "FONT": 0, "FORMAT": 0, "XF": 0}

    def problem(self, text):
        self.problems.append(text)

    def substream(self, pos, kind):
        """The records from a BOF at pos up to and including its EOF."""
        records = []
        while True:
            if pos + 4 > len(self.stream):
                self.problem("substream at %d runs past the stream without EOF" % records[0][0]
                             if records else "substream at %d lies outside the stream" % pos)
                return records
            rtype, size = struct.unpack_from("<HH", self.stream, pos)
            if size > MAX_RECORD_DATA:
                self.problem("record 0x%04X at %d has %d data bytes" % (rtype, pos, size))
            data = self.stream[pos + 4:pos + 4 + size]
            if len(data) != size:
                self.problem("record 0x%04X at %d is cut off" % (rtype, pos))
            records.append((pos, rtype, data))
            if len(records) == 1 and (rtype != BOF or len(data) < 4
                                    or struct.unpack_from("<HH", data) != (0x0600, kind)):
                self.problem("substream at %d does not start with a BIFF8 BOF of kind 0x%04X"
                             % (pos, kind))
                return records
            pos += 4 + size
            if rtype == EOF:
                return records

    def check(self):
        globals_ = self.substream(0, 0x0005)
        fonts, formats, xfs, sheets = 0, set(), [], []
        sst_chunks, extsst = None, None
        for i, (pos, rtype, data) in enumerate(globals_):
            if rtype == CODEPAGE and struct.unpack("<H", data)[0] != 1200:
                self.problem("CODEPAGE is not 1200")
            elif rtype == FONT:
                fonts += 1
            elif rtype == FORMAT:
                ident = struct.unpack_from("<H", data)[0]
                if ident in formats:
                    self.problem("FORMAT %d defined twice" % ident)
                formats.add(ident)
            elif rtype == XF:
                font, fmt, flags = struct.unpack_from("<HHH", data)
                xfs.append((font, fmt, bool(flags & 0x0004), flags >> 4))
            elif rtype == STYLE:
                ixf = struct.unpack_from("<H", data)[0] & 0x0FFF
                if ixf >= len(xfs) or not xfs[ixf][2]:
                    self.problem("STYLE points at XF %d, which is no style XF" % ixf)
            elif rtype == BOUNDSHEET:
                sheets.append(struct.unpack_from("<I", data)[0])
            elif rtype == SST:
                sst_chunks = [(pos, data)]
                for cpos, ctype, cdata in globals_[i + 1:]:
                    if ctype != CONTINUE:
                        break
                    sst_chunks.append((cpos, cdata))
                self.counts["CONTINUE"] += len(sst_chunks) - 1
            elif rtype == EXTSST:
                extsst = data
        self.counts.update(FONT=fonts, FORMAT=len(formats), XF=len(xfs))

        if fonts < 5:
            self.problem("only %d FONT records" % fonts)
        if len(xfs) < 16:
            self.problem("only %d XF records" % len(xfs))
        for index, (font, fmt, is_style, parent) in enumerate(xfs):
            if font == 4 or font > fonts or (font < 4 and font >= fonts):
                self.problem("XF %d uses missing font %d" % (index, font))
            if fmt >= 164 and fmt not in formats:
                self.problem("XF %d uses undefined format %d" % (index, fmt))
            if is_style and parent != 0x0FFF:
                self.problem("style XF %d has a parent" % index)
            if not is_style and (parent >= len(xfs) or not xfs[parent][2]):
                self.problem("cell XF %d has no style XF as parent" % index)
        for ident in formats:
            if ident < 164:
                self.problem("FORMAT %d overrides a built-in format" % ident)

        if sst_chunks is None or extsst is None:
            self.problem("SST or EXTSST missing")
            return
        total, unique, starts = self.check_sst(sst_chunks)
        self.check_extsst(extsst, unique, starts)

        references = 0
        for offset in sheets:
            references += self.check_sheet(offset, len(xfs), xfs, unique)
        if references != total:
            self.problem("SST counts %d references, the sheets hold %d" % (total, references))

    def check_sst(self, chunks):
        """Walks the strings; returns (total, unique, [(stream pos, record offset)])."""
        data = chunks[0][1]
        total, unique = struct.unpack_from("<II", data)
        rec, off, starts = 0, 8, []
        for index in range(unique):
            if off == len(data) and rec + 1 < len(chunks):
                rec, off = rec + 1, 0
                data = chunks[rec][1]
            if off + 3 > len(data):
                self.problem("string %d: count and option byte do not fit in its record" % index)
                return total, unique, starts
            starts.append((chunks[rec][0] + 4 + off, 4 + off))
            count, flags = struct.unpack_from("<HB", data, off)
            if flags & ~0x01:
                self.problem("string %d has option flags 0x%02X" % (index, flags))
            off += 3
            while True:
                unit = 2 if flags & 0x01 else 1
                take = min(count, (len(data) - off) // unit)
                off += take * unit
                count -= take
                if count == 0:
                    break
                if off != len(data) or rec + 1 >= len(chunks):
                    self.problem("string %d breaks off inside its record" % index)
                    return total, unique, starts
                rec, off = rec + 1, 1
                data = chunks[rec][1]
                flags = data[0]
                if flags & ~0x01:
                    self.problem("string %d continues with option flags 0x%02X" % (index, flags))
        if rec != len(chunks) - 1 or off != len(data):
            self.problem("SST holds bytes after its last string")
        return total, unique, starts

    def check_extsst(self, data, unique, starts):
        per_bucket = struct.unpack_from("<H", data)[0]
        if per_bucket < 8:
            self.problem("EXTSST buckets of %d strings" % per_bucket)
            return
        buckets = (len(data) - 2) // 8
        wanted = math.ceil(unique / per_bucket)
        if buckets != wanted or buckets > 128:
            self.problem("EXTSST has %d buckets for %d strings, wanted %d"
                         % (buckets, unique, wanted))
        for k in range(min(buckets, wanted)):
            pos, offset = struct.unpack_from("<IH", data, 2 + 8 * k)
            string = k * per_bucket
            if string < len(starts) and starts[string] != (pos, offset):
                self.problem("EXTSST bucket %d points at %s, string %d starts at %s"
                             % (k, (pos, offset), string, starts[string]))

    def check_sheet(self, offset, xf_count, xfs, unique):
        """Checks one worksheet; returns its number of LABELSST records."""
        labels, dimensions, window2, cells = 0, None, False, []
        for pos, rtype, data in self.substream(offset, 0x0010):
            if rtype == DIMENSIONS:
                dimensions = struct.unpack_from("<IIHH", data)
            elif rtype == WINDOW2:
                window2 = True
            elif rtype in (LABELSST, NUMBER, ROW):
                row, col, third = struct.unpack_from("<HHH", data)
                if rtype == ROW:
                    cells.append((row, max(third, 1) - 1))
                    continue
                cells.append((row, col))
                if third >= xf_count or xfs[third][2]:
                    self.problem("cell %d,%d uses XF %d, which is no cell XF" % (row, col, third))
                if rtype == LABELSST:
                    labels += 1
                    if struct.unpack_from("<I", data, 6)[0] >= unique:
                        self.problem("cell %d,%d points past the SST" % (row, col))
        if dimensions is None or not window2:
            self.problem("sheet at %d lacks DIMENSIONS or WINDOW2" % offset)
        elif cells:
            row_end = max(r for r, _ in cells) + 1
            col_end = max(c for _, c in cells) + 1
            if dimensions[0] != 0 or dimensions[1] != row_end or dimensions[3] > 256 \
                    or col_end > max(dimensions[3], 1):
                self.problem("sheet at %d: DIMENSIONS %s do not cover rows < %d, columns < %d"
                             % (offset, dimensions, row_end, col_end))
        return labels


TYPES = {
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_DATE: "date",
    xlrd.XL_CELL_BOOLEAN: "bool",
    xlrd.XL_CELL_ERROR: "error",
    xlrd.XL_CELL_BLANK: "blank",
}


def dump_cell(book, cell):
    if cell.ctype == xlrd.XL_CELL_EMPTY:
        return None
    xf = book.xf_list[cell.xf_index]
    fmt = book.format_map.get(xf.format_key)
    return [TYPES.get(cell.ctype, str(cell.ctype)), cell.value,
            fmt.format_str if fmt else None, bool(book.font_list[xf.font_index].bold)]


def dump_sheet(book, sheet):
    nrows = sheet.nrows
    if sheet.rowinfo_map:
        nrows = max(nrows, max(sheet.rowinfo_map) + 1)
    rows = []
    for r in range(nrows):
        cells = [dump_cell(book, c) for c in sheet.row(r)] if r < sheet.nrows else []
        while cells and cells[-1] is None:
            cells.pop()
        rows.append(cells)
    widths = {str(c): info.width / 256 for c, info in sorted(sheet.colinfo_map.items())}
    return {"name": sheet.name, "widths": widths, "rows": rows}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: xls_dump.py FILE")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    log = io.StringIO()
    stream = compdoc.CompDoc(data, logfile=log).get_named_stream("Workbook")
    if stream is None:
        sys.exit("no Workbook stream in %s" % sys.argv[1])
    checker = Checker(stream)
    checker.check()
    book = xlrd.open_workbook(file_contents=data, formatting_info=True, logfile=log)
    result = {
        "problems": checker.problems,
        "warnings": log.getvalue(),
        "records": checker.counts,
        "sheets": [dump_sheet(book, s) for s in book.sheets()],
    }
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
