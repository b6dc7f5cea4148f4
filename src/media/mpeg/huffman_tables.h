// The Layer III Huffman codes and the lookup tables that decode them.
#pragma once

#include <cstdint>

#include "media/mpeg/bit_reader.h"

namespace kb::mpeg {

// One code table of the format: a size x size matrix of codewords and their lengths.
struct HuffmanCodeTable {
  uint8_t size;
  uint8_t linbits;
  const uint16_t* codes;
  const uint8_t* lengths;
};

constexpr int kHuffmanTableCount = 32;
extern const HuffmanCodeTable kHuffmanCodeTables[kHuffmanTableCount];
extern const uint8_t kCount1CodesA[16];
extern const uint8_t kCount1LengthsA[16];

// A lookup entry: a decoded symbol (length = the whole codeword's length, value = x * 16 + y, or
// the quadruple vwxy) or, when length is 0, a further table indexed by the next `value` bits
// that starts at `next`.
struct HuffmanEntry {
  uint8_t length;
  uint8_t value;
  uint16_t next;
};

struct HuffmanDecoder {
  uint16_t root;      // first entry of the top-level table
  uint8_t rootBits;   // 0 for the tables without codes
  uint8_t linbits;
};

constexpr int kHuffmanEntryCapacity = 8192;

struct HuffmanTables {
  HuffmanEntry entries[kHuffmanEntryCapacity];
  uint32_t used;
  HuffmanDecoder bigValues[kHuffmanTableCount];
  HuffmanDecoder count1[2];  // table A, table B
};

extern HuffmanTables huffmanTables;

void BuildHuffmanDecoders();

// Decodes one symbol.  The reader returns zeros past its end, so a damaged stream decodes to
// something and the caller sees the overrun from the position.
inline uint32_t DecodeHuffmanSymbol(const HuffmanDecoder& decoder, BitReader& bits) {
  const uint32_t word = bits.Peek32();
  const HuffmanEntry* entry =
      &huffmanTables.entries[decoder.root + (word >> (32 - decoder.rootBits))];
  uint32_t used = decoder.rootBits;
  while (entry->length == 0) {
    const uint32_t subBits = entry->value;
    entry = &huffmanTables.entries[entry->next + ((word << used) >> (32 - subBits))];
    used += subBits;
  }
  bits.Skip(entry->length);
  return entry->value;
}

}  // namespace kb::mpeg
