#include "SectorCodes.h"

#include <algorithm>
#include <array>

namespace polyvane::gamedata {

namespace {

constexpr std::size_t kHeaderOffset = 12;

// The EDC polynomial (x^16 + x^15 + x^2 + 1)(x^16 + x^2 + x + 1), bit-reversed because the code is
// computed least significant bit first.
constexpr std::uint32_t kEdcPolynomialReflected = 0xd8018001u;

constexpr std::array<std::uint32_t, 256> MakeEdcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value >> 1) ^ ((value & 1u) ? kEdcPolynomialReflected : 0u);
        table[i] = value;
    }
    return table;
}
constexpr auto kEdcTable = MakeEdcTable();

// GF(2^8) with the field polynomial x^8 + x^4 + x^3 + x^2 + 1 and primitive element alpha = 2.
struct GaloisTables {
    std::array<std::uint8_t, 256> timesAlpha{};
    std::array<std::uint8_t, 256> timesInverseOfAlphaPlusOne{};
};

constexpr std::uint8_t MultiplyByAlpha(std::uint8_t value) {
    return static_cast<std::uint8_t>((value << 1) ^ ((value & 0x80) ? 0x1d : 0x00));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
    std::uint8_t product = 0;
    for (; b != 0; b = static_cast<std::uint8_t>(b >> 1), a = MultiplyByAlpha(a))
        if (b & 1)
            product ^= a;
    return product;
}

constexpr GaloisTables MakeGaloisTables() {
    GaloisTables tables;
    // (alpha + 1) = 3; its inverse is the element that multiplies it to 1.
    std::uint8_t inverse = 1;
    while (Multiply(inverse, 3) != 1)
        ++inverse;
    for (unsigned i = 0; i < 256; ++i) {
        tables.timesAlpha[i] = MultiplyByAlpha(static_cast<std::uint8_t>(i));
        tables.timesInverseOfAlphaPlusOne[i] = Multiply(static_cast<std::uint8_t>(i), inverse);
    }
    return tables;
}
constexpr GaloisTables kGalois = MakeGaloisTables();

// The two parity bytes that make a codeword v[0..n-1] (data then parity) satisfy both checks
// sum v[i] = 0 and sum alpha^(n-1-i) v[i] = 0. `next(i)` yields the i-th data byte.
template <typename Next> std::array<std::uint8_t, 2> ParityPair(std::size_t dataCount, Next next) {
    std::uint8_t weighted = 0, plain = 0;
    for (std::size_t i = 0; i < dataCount; ++i) {
        const std::uint8_t v = next(i);
        weighted = kGalois.timesAlpha[weighted ^ v];
        plain ^= v;
    }
    // weighted now holds sum alpha^(dataCount-i) v[i]; the checks weigh the data one power higher.
    weighted = kGalois.timesAlpha[weighted];
    const std::uint8_t first = kGalois.timesInverseOfAlphaPlusOne[weighted ^ plain];
    return {first, static_cast<std::uint8_t>(plain ^ first)};
}

// P and Q parity over the 2064 bytes from the header on, which the ECMA-130 layout reads as 1032
// 16-bit words in two byte planes: P runs down 43 columns of 24 words, Q along 26 diagonals of 43.
void ComputeParity(std::span<std::uint8_t, kRawSectorSize> sector) {
    std::uint8_t* data = sector.data() + kHeaderOffset;
    constexpr std::size_t kPBytes = 2064, kPColumns = 86, kPRows = 24;
    for (std::size_t column = 0; column < kPColumns; ++column) {
        auto parity = ParityPair(kPRows, [&](std::size_t row) { return data[column + kPColumns * row]; });
        data[kPBytes + column] = parity[0];
        data[kPBytes + kPColumns + column] = parity[1];
    }
    constexpr std::size_t kQWords = 1118, kQDiagonals = 26, kQLength = 43, kQParity = kPBytes + 2 * kPColumns;
    for (std::size_t diagonal = 0; diagonal < kQDiagonals; ++diagonal)
        for (std::size_t plane = 0; plane < 2; ++plane) {
            auto parity = ParityPair(kQLength, [&](std::size_t i) {
                return data[2 * ((44 * i + 43 * diagonal) % kQWords) + plane];
            });
            data[kQParity + 2 * diagonal + plane] = parity[0];
            data[kQParity + 2 * kQDiagonals + 2 * diagonal + plane] = parity[1];
        }
}

void StoreLittleEndian(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::uint32_t ComputeEdc(std::span<const std::uint8_t> bytes) {
    std::uint32_t edc = 0;
    for (std::uint8_t b : bytes)
        edc = (edc >> 8) ^ kEdcTable[(edc ^ b) & 0xffu];
    return edc;
}

bool RecomputeSectorCodes(std::span<std::uint8_t, kRawSectorSize> sector, SectorMode mode) {
    switch (mode) {
    case SectorMode::mode1:
        StoreLittleEndian(&sector[0x810], ComputeEdc(sector.first(0x810)));
        ComputeParity(sector);
        return true;
    case SectorMode::mode2Form1: {
        StoreLittleEndian(&sector[0x818], ComputeEdc(sector.subspan(16, 0x818 - 16)));
        // Mode 2's parity is computed as if the header were zero, so a sector keeps it when moved.
        std::array<std::uint8_t, 4> header;
        std::copy_n(&sector[kHeaderOffset], 4, header.begin());
        std::fill_n(&sector[kHeaderOffset], 4, std::uint8_t{0});
        ComputeParity(sector);
        std::copy(header.begin(), header.end(), &sector[kHeaderOffset]);
        return true;
    }
    case SectorMode::mode2Form2:
        StoreLittleEndian(&sector[0x92c], ComputeEdc(sector.subspan(16, 0x92c - 16)));
        return true;
    case SectorMode::cooked:
    case SectorMode::invalid:
        break;
    }
    return false;
}

} // namespace polyvane::gamedata
