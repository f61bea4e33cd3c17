// The bundled example databases (examples/book.dat, examples/cards.dat),
// built byte by byte from the record layouts with the fixture builder. The
// committed files are checked against these, and rewritten from them when
// KALVERT_WRITE_EXAMPLES=1 is set for the docs tests.
#pragma once

#include <vector>

namespace fixture {

// A small appointment book ('2'): appointments, events and ToDo items, plain
// and repeating (some with deleted occurrences), notes with CR LF line
// breaks, EUC-JP texts, items without a time, a ToDo item without a date,
// the field definitions of the heading line, the two chain records (type 14)
// and a lookup table.
std::vector<unsigned char> BuildExampleBook();

// A small card file, a general database ('D') with a field of every type:
// flag words, texts behind 0x20 offsets, a time, a date, a radio-button
// group, a note link with its notes, and two fields that print nothing.
std::vector<unsigned char> BuildExampleCards();

}  // namespace fixture
