// Builds the Huffman lookup tables: a top-level table indexed by the first bits of a codeword,
// with further tables for the longer codewords, so that a symbol costs one or two lookups.

#include <algorithm>
#include <cstdlib>

#include "media/mpeg/huffman_tables.h"

namespace kb::mpeg {

HuffmanTables huffmanTables;

namespace {

constexpr uint32_t kMaxLevelBits = 8;

struct Code {
  uint32_t bits;
  uint32_t length;
  uint8_t value;
};

struct CodeList {
  Code codes[256];
  uint32_t count;
};

uint32_t Allocate(uint32_t size) {
  HuffmanTables& t = huffmanTables;
  if (t.used + size > kHuffmanEntryCapacity) std::abort();  // the fixed tables outgrew the store
  const uint32_t start = t.used;
  t.used += size;
  return start;
}

// Fills the table for the codewords that begin with `prefix` (prefixLength bits), indexed by the
// next levelBits bits.
uint32_t BuildLevel(const CodeList& list, uint32_t prefix, uint32_t prefixLength,
                    uint32_t levelBits) {
  const uint32_t start = Allocate(1u << levelBits);
  for (uint32_t i = 0; i < (1u << levelBits); ++i) {
    const uint32_t path = (prefix << levelBits) | i;
    const uint32_t pathLength = prefixLength + levelBits;
    HuffmanEntry entry{1, 0, 0};  // a path no codeword takes: consume one bit, yield 0
    uint32_t longest = 0;
    for (uint32_t c = 0; c < list.count; ++c) {
      const Code& code = list.codes[c];
      if (code.length <= pathLength) {
        if ((path >> (pathLength - code.length)) == code.bits) {
          entry = {static_cast<uint8_t>(code.length), code.value, 0};
          longest = 0;
          break;
        }
      } else if ((code.bits >> (code.length - pathLength)) == path) {
        longest = std::max(longest, code.length);
      }
    }
    if (longest != 0) {
      const uint32_t subBits = std::min(longest - pathLength, kMaxLevelBits);
      const uint32_t next = BuildLevel(list, path, pathLength, subBits);
      entry = {0, static_cast<uint8_t>(subBits), static_cast<uint16_t>(next)};
    }
    huffmanTables.entries[start + i] = entry;
  }
  return start;
}

HuffmanDecoder BuildDecoder(const CodeList& list, uint32_t linbits) {
  uint32_t longest = 0;
  for (uint32_t c = 0; c < list.count; ++c) longest = std::max(longest, list.codes[c].length);
  const uint32_t rootBits = std::min(longest, kMaxLevelBits);
  const uint32_t root = BuildLevel(list, 0, 0, rootBits);
  return {static_cast<uint16_t>(root), static_cast<uint8_t>(rootBits),
          static_cast<uint8_t>(linbits)};
}

}  // namespace

void BuildHuffmanDecoders() {
  HuffmanTables& t = huffmanTables;
  t.used = 0;
  CodeList list;
  for (int n = 0; n < kHuffmanTableCount; ++n) {
    const HuffmanCodeTable& table = kHuffmanCodeTables[n];
    if (table.codes == nullptr) {
      t.bigValues[n] = {0, 0, table.linbits};
      continue;
    }
    // Tables that share the codes of an earlier one share its lookup tables.
    bool shared = false;
    for (int m = 0; m < n; ++m) {
      if (kHuffmanCodeTables[m].codes == table.codes) {
        t.bigValues[n] = t.bigValues[m];
        t.bigValues[n].linbits = table.linbits;
        shared = true;
        break;
      }
    }
    if (shared) continue;
    list.count = 0;
    for (uint32_t x = 0; x < table.size; ++x) {
      for (uint32_t y = 0; y < table.size; ++y) {
        const uint32_t i = x * table.size + y;
        list.codes[list.count++] = {table.codes[i], table.lengths[i],
                                    static_cast<uint8_t>(x * 16 + y)};
      }
    }
    t.bigValues[n] = BuildDecoder(list, table.linbits);
  }
  // Count1 table A is a Huffman code; table B codes each quadruple in four bits, inverted.
  list.count = 0;
  for (uint32_t v = 0; v < 16; ++v) list.codes[list.count++] = {kCount1CodesA[v], kCount1LengthsA[v], static_cast<uint8_t>(v)};
  t.count1[0] = BuildDecoder(list, 0);
  list.count = 0;
  for (uint32_t v = 0; v < 16; ++v) list.codes[list.count++] = {15 - v, 4, static_cast<uint8_t>(v)};
  t.count1[1] = BuildDecoder(list, 0);
}

}  // namespace kb::mpeg
