#pragma once

#include "dbase/table.h"
#include "dbase/value.h"

#include <string_view>

// How each column type letter is read: one decoder per type, chosen through a table keyed by the
// letter and the file family. Every decoder decides in one place when its value is blank.
namespace dbase::detail {

class MemoFile;

// What a decoder needs besides the column's bytes.
struct DecodeContext
{
    int codePage = 0; // the table's code page, for text
    bool convertText = true; // false for VFP columns flagged binary: text stays as stored
    const MemoFile* memo = nullptr; // the table's memo file, for memo-backed columns
};

using Decoder = ValueView (*)(std::string_view raw, const DecodeContext& context);

struct FieldType
{
    FieldKind kind;
    Decoder decode;
    bool usesMemo; // the column holds a reference into the memo file
};

// The reading of a column of this type letter and width in a file of this family, or nullptr when
// the engine cannot read such a column (an unknown letter, or a width the type does not allow).
const FieldType* fieldTypeFor(Format format, char letter, unsigned length);

// The decoders, one per type. raw holds exactly the column's bytes of one record; text in the value
// points into raw, or into the memo file's buffer for memo columns.

// C: cut at the first NUL, trailing blanks dropped, leading blanks kept; empty is blank.
ValueView decodeCharacter(std::string_view raw, const DecodeContext& context);
// VFP V (after the table applied the length byte): the bytes as they stand; empty is blank.
ValueView decodeVarChar(std::string_view raw, const DecodeContext& context);
// VFP Q (after the table applied the length byte): the bytes unchanged; empty is blank.
ValueView decodeVarBinary(std::string_view raw, const DecodeContext& context);
// N, F: decimal text. Blank: only blanks, only '*' (overflow, or NULL as GIS tools write it), and
// any text that is not a plain number (garbage gives blank, never a made-up number).
ValueView decodeNumeric(std::string_view raw, const DecodeContext& context);
// L: T t Y y true, F f N n false; anything else (' ', '?', NUL, garbage) is blank.
ValueView decodeLogical(std::string_view raw, const DecodeContext& context);
// D: "YYYYMMDD"; in a wider column the first eight characters when the rest is blanks or NULs.
// Blanks, zeros and dates that do not exist (month 13, 30 February) are blank.
ValueView decodeDate(std::string_view raw, const DecodeContext& context);
// VFP I (and Harbour's I): int32 little-endian; never blank by itself (only through the null flag).
ValueView decodeInt32Le(std::string_view raw, const DecodeContext& context);
// dBase 7 I and +: int32 big-endian with the sign bit inverted; four zero bytes are blank.
ValueView decodeOrderedInt32Be(std::string_view raw, const DecodeContext& context);
// VFP B: IEEE double little-endian; NaN and infinities are blank.
ValueView decodeDoubleLe(std::string_view raw, const DecodeContext& context);
// dBase 7 O: IEEE double big-endian, sign bit set for values >= 0, all bits inverted for negative
// ones; eight zero bytes, NaN and infinities are blank.
ValueView decodeOrderedDoubleBe(std::string_view raw, const DecodeContext& context);
// VFP Y: int64 little-endian, the value times 10 000; never blank by itself.
ValueView decodeCurrency(std::string_view raw, const DecodeContext& context);
// VFP T (and Harbour's @): int32 LE Julian day number + int32 LE milliseconds since midnight.
// Day 0, blanks, and days or times out of range are blank.
ValueView decodeJulianDateTime(std::string_view raw, const DecodeContext& context);
// dBase 7 @: big-endian double of milliseconds, 0001-01-01 00:00 being one day (86 400 000).
// Eight zero bytes and values before 0001-01-01 or after 9999-12-31 are blank.
ValueView decodeTimestampBe(std::string_view raw, const DecodeContext& context);
// M with a 10-character block number (dBase, FoxPro 2, Clipper): the memo's text; block 0 or no
// digits is blank, as is an empty memo.
ValueView decodeMemoText(std::string_view raw, const DecodeContext& context);
// VFP M: 4-byte little-endian block number.
ValueView decodeMemoTextVfp(std::string_view raw, const DecodeContext& context);
// B, G, P with a 10-character block number: the memo's bytes unchanged.
ValueView decodeMemoBlob(std::string_view raw, const DecodeContext& context);
// VFP G, P, W: 4-byte block number.
ValueView decodeMemoBlobVfp(std::string_view raw, const DecodeContext& context);

// Days from 1970-01-01 to the given proleptic Gregorian date (negative before it).
long long daysFromCivil(int year, int month, int day);
// The date that lies the given number of days after 1970-01-01.
Date civilFromDays(long long days);

} // namespace dbase::detail
