#pragma once
// Finding equal vertices and normals of one object. The hashed searches run in near-linear time and
// give exactly the results of the plain searches, which stay as the reference they are checked and
// measured against.
#include "formats/TmdTypes.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace polyvane {

enum class SharingMethod { hashed, plain };

// Distinct keys in order of first use, found through an open-addressing table that is sized once, so
// that nothing is allocated while keys are added.
template <typename Key, typename Hash> class FirstUseIndex {
  public:
    // Makes room for `maxKeys` distinct keys and forgets the keys held; false when memory runs out.
    [[nodiscard]] bool Reserve(std::size_t maxKeys) noexcept {
        try {
            std::size_t capacity = 16;
            while (capacity < maxKeys * 2)
                capacity <<= 1;
            m_slots.assign(capacity, kEmpty);
            m_keys.clear();
            m_keys.reserve(maxKeys);
            m_mask = capacity - 1;
            return true;
        } catch (const std::bad_alloc&) {
            m_slots.clear();
            m_keys.clear();
            return false;
        }
    }
    // Index of `key`, appended when new; at most the reserved number of keys may be added.
    std::pair<std::uint32_t, bool> Insert(const Key& key) {
        std::size_t i = Hash{}(key)&m_mask;
        while (m_slots[i] != kEmpty) {
            if (m_keys[m_slots[i]] == key)
                return {m_slots[i], false};
            i = (i + 1) & m_mask;
        }
        const auto index = static_cast<std::uint32_t>(m_keys.size());
        m_slots[i] = index;
        m_keys.push_back(key);
        return {index, true};
    }
    [[nodiscard]] const std::vector<Key>& Keys() const { return m_keys; }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> m_slots;
    std::vector<Key> m_keys;
    std::size_t m_mask = 0;
};

// The distinct (x, y, z) triples of signed 16-bit values in order of first use.
class TriplePool {
  public:
    explicit TriplePool(SharingMethod method = SharingMethod::hashed) : m_method(method) {}

    // Empties the pool and makes room for `maxEntries` distinct triples; false when memory runs out.
    [[nodiscard]] bool Reserve(std::size_t maxEntries) noexcept;
    // Index of the first entry equal to (x, y, z); the triple is appended when there is none.
    std::uint32_t IndexOf(std::int16_t x, std::int16_t y, std::int16_t z);
    [[nodiscard]] const std::vector<TmdVector>& Entries() const { return m_entries; }
    [[nodiscard]] std::size_t Size() const { return m_entries.size(); }

  private:
    struct KeyHash {
        std::size_t operator()(std::uint64_t key) const;
    };
    SharingMethod m_method;
    std::vector<TmdVector> m_entries;
    FirstUseIndex<std::uint64_t, KeyHash> m_index;
};

// Sets every vertex normal (nx, ny, nz) of the records to the average of the face normals of all
// vertices of the object at exactly its coordinates, summed in record order, not rescaled.
void AverageVertexNormals(WorkPrimitive* records, std::uint32_t count,
                          SharingMethod method = SharingMethod::hashed);

} // namespace polyvane
