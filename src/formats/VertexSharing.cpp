#include "VertexSharing.h"

#include <bit>
#include <cmath>

namespace polyvane {

namespace {

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// A vertex position as exact bits. Adding 0.0 turns -0.0 into 0.0, so that bit equality is the same
// as == for every value but NaN, which the callers leave out because it equals nothing.
struct PositionKey {
    std::uint64_t x, y, z;
    bool operator==(const PositionKey&) const = default;
};

struct PositionHash {
    std::size_t operator()(const PositionKey& k) const {
        return static_cast<std::size_t>(Mix(k.x ^ Mix(k.y ^ Mix(k.z))));
    }
};

PositionKey KeyOf(double x, double y, double z) {
    return {std::bit_cast<std::uint64_t>(x + 0.0), std::bit_cast<std::uint64_t>(y + 0.0),
            std::bit_cast<std::uint64_t>(z + 0.0)};
}

// Compares every vertex with every vertex of the object.
void AverageAllPairs(WorkPrimitive* records, std::uint32_t count) {
    for (std::uint32_t r = 0; r < count; ++r) {
        WorkPrimitive& p = records[r];
        for (int k = 0; k < VertexCount(p); ++k) {
            double sx = 0, sy = 0, sz = 0;
            int matches = 0;
            for (std::uint32_t q = 0; q < count; ++q) {
                const WorkPrimitive& o = records[q];
                for (int m = 0; m < VertexCount(o); ++m) {
                    if (o.x[m] == p.x[k] && o.y[m] == p.y[k] && o.z[m] == p.z[k]) {
                        sx += o.fnx;
                        sy += o.fny;
                        sz += o.fnz;
                        ++matches;
                    }
                }
            }
            if (matches == 0)
                matches = 1; // a NaN coordinate matches nothing, not even itself
            p.nx[k] = sx / matches;
            p.ny[k] = sy / matches;
            p.nz[k] = sz / matches;
        }
    }
}

struct NormalSum {
    double x = 0, y = 0, z = 0;
    int count = 0;
};

// Groups the vertices by position, summing each group's face normals in the order the all-pairs
// search adds them, so that the averages come out bit for bit the same. False when memory runs out.
bool AverageHashed(WorkPrimitive* records, std::uint32_t count) {
    constexpr std::uint32_t kNoGroup = 0xFFFFFFFFu;
    const std::size_t corners = std::size_t{count} * 4;
    std::vector<NormalSum> sums;
    std::vector<std::uint32_t> groupOf;
    FirstUseIndex<PositionKey, PositionHash> groups;
    try {
        sums.reserve(corners);
        groupOf.assign(corners, kNoGroup);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!groups.Reserve(corners))
        return false;
    for (std::uint32_t q = 0; q < count; ++q) {
        const WorkPrimitive& o = records[q];
        for (int m = 0; m < VertexCount(o); ++m) {
            if (std::isnan(o.x[m]) || std::isnan(o.y[m]) || std::isnan(o.z[m]))
                continue;
            const auto [group, added] = groups.Insert(KeyOf(o.x[m], o.y[m], o.z[m]));
            if (added)
                sums.emplace_back();
            NormalSum& s = sums[group];
            s.x += o.fnx;
            s.y += o.fny;
            s.z += o.fnz;
            ++s.count;
            groupOf[std::size_t{q} * 4 + static_cast<std::size_t>(m)] = group;
        }
    }
    for (std::uint32_t r = 0; r < count; ++r) {
        WorkPrimitive& p = records[r];
        for (int k = 0; k < VertexCount(p); ++k) {
            const std::uint32_t g = groupOf[std::size_t{r} * 4 + static_cast<std::size_t>(k)];
            const NormalSum s = g == kNoGroup ? NormalSum{0, 0, 0, 1} : sums[g];
            p.nx[k] = s.x / s.count;
            p.ny[k] = s.y / s.count;
            p.nz[k] = s.z / s.count;
        }
    }
    return true;
}

} // namespace

std::size_t TriplePool::KeyHash::operator()(std::uint64_t key) const {
    return static_cast<std::size_t>(Mix(key));
}

bool TriplePool::Reserve(std::size_t maxEntries) noexcept {
    m_entries.clear();
    try {
        m_entries.reserve(maxEntries);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return m_method == SharingMethod::plain || m_index.Reserve(maxEntries);
}

std::uint32_t TriplePool::IndexOf(std::int16_t x, std::int16_t y, std::int16_t z) {
    const auto next = static_cast<std::uint32_t>(m_entries.size());
    if (m_method == SharingMethod::plain) {
        for (std::uint32_t i = 0; i < next; ++i)
            if (m_entries[i].vx == x && m_entries[i].vy == y && m_entries[i].vz == z)
                return i;
    } else {
        const std::uint64_t key = std::uint64_t{static_cast<std::uint16_t>(x)} |
                                  (std::uint64_t{static_cast<std::uint16_t>(y)} << 16) |
                                  (std::uint64_t{static_cast<std::uint16_t>(z)} << 32);
        const auto [index, added] = m_index.Insert(key);
        if (!added)
            return index;
    }
    m_entries.push_back(TmdVector{x, y, z, 0});
    return next;
}

void AverageVertexNormals(WorkPrimitive* records, std::uint32_t count, SharingMethod method) {
    if (!records)
        return;
    // Without memory for the table the plain search still gives the same result, only slower.
    if (method == SharingMethod::plain || !AverageHashed(records, count))
        AverageAllPairs(records, count);
}

} // namespace polyvane
