// Scheme names made to collide under the name hash the index had before it
// was seeded: FNV-1a over the bytes of the UTF-16 units, low byte first, A-Z
// taken as a-z, from the fixed offset basis, the slot being its low bits.
// A file of such names put every one of them into the same slot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace colliding {

constexpr uint32_t FNV_OFFSET = 2166136261u;
constexpr uint32_t FNV_PRIME = 16777619u;

inline uint32_t Step(uint32_t hash, char16_t unit) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
    hash = (hash ^ (unit & 0xFF)) * FNV_PRIME;
    return (hash ^ (unit >> 8)) * FNV_PRIME;
}

inline uint32_t UnseededHash(const std::u16string &name) {
    uint32_t hash = FNV_OFFSET;
    for (char16_t unit : name) hash = Step(hash, unit);
    return hash;
}

// 2^blocks distinct names of `blocks` pairs of CJK ideographs whose unseeded
// hashes agree in their low `bits` bits. Each block is one of two pairs
// found to lead from the same state to the same low bits; as those bits of
// the hash depend on no higher bit, any choice of pairs ends alike (how
// multicollisions are chained in an iterated hash). Empty when some block
// has no such two pairs. `bits` up to 20: a table of 2^bits entries is kept.
inline std::vector<std::u16string> Names(int blocks, int bits) {
    const uint32_t mask = (1u << bits) - 1;
    const char16_t FIRST = u'\u4E00';
    const int ALPHABET = 64;
    std::vector<std::u16string> names = {u""};
    uint32_t state = FNV_OFFSET;
    for (int block = 0; block < blocks; ++block) {
        std::vector<int> seen(static_cast<size_t>(mask) + 1, -1);
        std::u16string pair[2];
        for (int candidate = 0; candidate < ALPHABET * ALPHABET && pair[1].empty(); ++candidate) {
            std::u16string text = {static_cast<char16_t>(FIRST + candidate / ALPHABET),
                                   static_cast<char16_t>(FIRST + candidate % ALPHABET)};
            uint32_t low = Step(Step(state, text[0]), text[1]) & mask;
            if (seen[low] < 0) {
                seen[low] = candidate;
                continue;
            }
            pair[0] = {static_cast<char16_t>(FIRST + seen[low] / ALPHABET),
                       static_cast<char16_t>(FIRST + seen[low] % ALPHABET)};
            pair[1] = text;
        }
        if (pair[1].empty()) return {};
        state = Step(Step(state, pair[0][0]), pair[0][1]);
        std::vector<std::u16string> longer;
        for (const std::u16string &name : names) {
            longer.push_back(name + pair[0]);
            longer.push_back(name + pair[1]);
        }
        names.swap(longer);
    }
    return names;
}

}  // namespace colliding
