#pragma once
// A dense model of small random faces around the origin, for benchmarks: the kind of object whose
// turning must stay smooth.
#include "WorkDocBuilder.h"

#include <random>

namespace polyvane::test {

inline std::vector<WorkPrimitive> RandomFaces(std::size_t count, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> centre(-300.0, 300.0);
    std::uniform_real_distribution<double> offset(-4.0, 4.0);
    std::vector<WorkPrimitive> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Faces as a mesh has them: a triangle and a parallelogram quad around a point, each a few
        // units across and facing anywhere.
        const Vertex c{centre(random), centre(random), centre(random)};
        const Vertex u{offset(random), offset(random), offset(random)};
        const Vertex w{offset(random), offset(random), offset(random)};
        auto at = [&](double a, double b) {
            return Vertex{c.x + a * u.x + b * w.x, c.y + a * u.y + b * w.y, c.z + a * u.z + b * w.z};
        };
        // Strip order: the quad's outline runs 0, 1, 3, 2.
        records.push_back(i % 3 == 0 ? Record({at(-1, -1), at(1, -1), at(-1, 1), at(1, 1)})
                                     : Record({at(-1, -1), at(1, -1), at(0, 1)}));
    }
    return records;
}

} // namespace polyvane::test
