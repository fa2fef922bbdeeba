// The three description files of the response analysis: tag information (TGINFO), morph errors
// (MRPHERROR) and phonology tables (IPA), read through the generator's tokenizer.
#pragma once

namespace zek {

void tag_readtables(const char* filename);
void merror_readtables(const char* filename);
void phon_readtables(const char* filename);
// Each terminal that has a morph error row, with the numbers of its (type, value) pairs, into
// corefile 7.
void print_merror_tables();

}  // namespace zek
