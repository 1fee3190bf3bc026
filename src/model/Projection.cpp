// Projection of an object for a view, and its back-to-front drawing order.
#include "Projection.h"

#include "platform/Parallel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace polyvane {

std::int32_t SaturateToInt32(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

namespace {
std::int32_t Saturate(std::int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}
} // namespace

Projector::Projector(double distance, double focal, std::int32_t centreX, std::int32_t centreY, double angleX,
                     double angleY, double angleZ, const std::array<double, 3>& pivot)
    : m_pivot(pivot), m_distance(distance), m_focal(focal), m_centreX(centreX), m_centreY(centreY) {
    const double cx = std::cos(angleX), sx = std::sin(angleX);
    const double cy = std::cos(angleY), sy = std::sin(angleY);
    const double cz = std::cos(angleZ), sz = std::sin(angleZ);
    m_r[0][0] = cy * cz;
    m_r[0][1] = -cy * sz;
    m_r[0][2] = sy;
    m_r[1][0] = cx * sz + sx * sy * cz;
    m_r[1][1] = cx * cz - sx * sy * sz;
    m_r[1][2] = -sx * cy;
    m_r[2][0] = sx * sz - cx * sy * cz;
    m_r[2][1] = sx * cz + cx * sy * sz;
    m_r[2][2] = cx * cy;
}

double Projector::Depth(double x, double y, double z) const {
    return m_r[2][0] * (x - m_pivot[0]) + m_r[2][1] * (y - m_pivot[1]) + m_r[2][2] * (z - m_pivot[2]) +
           m_distance;
}

double ClosestApproach(std::span<const WorkPrimitive> records, double angleX, double angleY, double angleZ,
                       const std::array<double, 3>& pivot, double margin) {
    const Projector turn(0.0, 1.0, 0, 0, angleX, angleY, angleZ, pivot);
    double nearest = std::numeric_limits<double>::infinity();
    for (const WorkPrimitive& p : records)
        for (int i = 0; i < VertexCount(p); ++i)
            nearest = std::min(nearest, turn.Depth(p.x[i], p.y[i], p.z[i]));
    return records.empty() ? -std::numeric_limits<double>::infinity() : margin - nearest;
}

ScreenPoint Projector::Project(double x, double y, double z, std::int32_t& depth) const {
    x -= m_pivot[0];
    y -= m_pivot[1];
    z -= m_pivot[2];
    const double xr = m_r[0][0] * x + m_r[0][1] * y + m_r[0][2] * z;
    const double yr = m_r[1][0] * x + m_r[1][1] * y + m_r[1][2] * z;
    const double zr = m_r[2][0] * x + m_r[2][1] * y + m_r[2][2] * z;
    double w = zr + m_distance;
    if (w == 0.0)
        w = 0.1;
    depth = SaturateToInt32(w);
    // The centre is added before truncating x, but subtracted after truncating y.
    const std::int32_t sx = SaturateToInt32(xr * m_focal / w + m_centreX);
    const std::int32_t sy =
        Saturate(static_cast<std::int64_t>(m_centreY) - SaturateToInt32(yr * m_focal / w));
    return {sx, sy};
}

#if defined(__GNUC__)
namespace {
// Two doubles side by side, and a mask over them, for the processor's paired arithmetic.
using Pair = double __attribute__((vector_size(16)));
using PairMask = std::int64_t __attribute__((vector_size(16)));
Pair Splat(double v) {
    return Pair{v, v};
}
} // namespace
#endif

int Projector::ProjectCorners(const WorkPrimitive& p, ScreenPoint (&screen)[4],
                              std::int32_t (&depth)[4]) const {
    const int n = VertexCount(p);
#if defined(__GNUC__)
    // The same operations in the same order as Project, so every lane rounds as it would.
    for (int h = 0; h < n; h += 2) {
        const Pair x = Pair{p.x[h], p.x[h + 1]} - Splat(m_pivot[0]);
        const Pair y = Pair{p.y[h], p.y[h + 1]} - Splat(m_pivot[1]);
        const Pair z = Pair{p.z[h], p.z[h + 1]} - Splat(m_pivot[2]);
        const Pair xr = Splat(m_r[0][0]) * x + Splat(m_r[0][1]) * y + Splat(m_r[0][2]) * z;
        const Pair yr = Splat(m_r[1][0]) * x + Splat(m_r[1][1]) * y + Splat(m_r[1][2]) * z;
        const Pair zr = Splat(m_r[2][0]) * x + Splat(m_r[2][1]) * y + Splat(m_r[2][2]) * z;
        Pair w = zr + Splat(m_distance);
        const PairMask zero = w == Splat(0.0);
        w = (Pair)((zero & (PairMask)Splat(0.1)) | (~zero & (PairMask)w));
        const Pair sx = xr * Splat(m_focal) / w + Splat(double(m_centreX));
        const Pair sy = yr * Splat(m_focal) / w;
        // A triangle's fourth lane holds whatever the record has there: it is never read.
        for (int k = 0; k < 2 && h + k < n; ++k) {
            depth[h + k] = SaturateToInt32(w[k]);
            screen[h + k] = {SaturateToInt32(sx[k]),
                             Saturate(static_cast<std::int64_t>(m_centreY) - SaturateToInt32(sy[k]))};
        }
    }
#else
    for (int k = 0; k < n; ++k)
        screen[k] = Project(p.x[k], p.y[k], p.z[k], depth[k]);
#endif
    return n;
}

namespace {

constexpr std::size_t kRecordsAhead = 8;

// Indices of `depth` from the greatest depth to the smallest, lower index first among equal depths,
// by a stable least-significant-digit radix sort over each depth's distance below the greatest: a
// model's depths span a few thousand, which one pass of 11-bit digits sorts. False when its memory
// cannot be had.
bool OrderByDepth(std::span<const std::int32_t> depth, std::span<std::uint32_t> order) {
    const std::size_t n = depth.size();
    if (n == 0)
        return true;
    std::unique_ptr<std::uint32_t[]> buffer(new (std::nothrow) std::uint32_t[3 * n]);
    if (!buffer)
        return false;
    const std::int32_t highest = *std::max_element(depth.begin(), depth.end());
    constexpr int kDigitBits = 11;
    constexpr std::uint32_t kDigits = 1u << kDigitBits;
    std::uint32_t* keys = buffer.get();
    std::uint32_t* keys2 = keys + n;
    std::uint32_t* index = order.data();
    std::uint32_t* index2 = keys2 + n;
    std::uint32_t range = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Ascending keys give descending depths.
        keys[i] = static_cast<std::uint32_t>(std::int64_t{highest} - depth[i]);
        range = std::max(range, keys[i]);
        index[i] = static_cast<std::uint32_t>(i);
    }
    for (int shift = 0; shift < 32 && (range >> shift) != 0; shift += kDigitBits) {
        std::uint32_t count[kDigits + 1] = {};
        for (std::size_t i = 0; i < n; ++i)
            ++count[((keys[i] >> shift) & (kDigits - 1)) + 1];
        if (count[((keys[0] >> shift) & (kDigits - 1)) + 1] == n)
            continue; // every key has the same digit here
        for (std::uint32_t d = 0; d < kDigits; ++d)
            count[d + 1] += count[d];
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t at = count[(keys[i] >> shift) & (kDigits - 1)]++;
            keys2[at] = keys[i];
            index2[at] = index[i];
        }
        std::swap(keys, keys2);
        std::swap(index, index2);
    }
    if (index != order.data())
        std::copy(index, index + n, order.data());
    return true;
}

// Projects records from..to of `records` into their places in `out`, whose storage is sized.
void ProjectRun(std::span<const WorkPrimitive> records, const Projector& projector, ProjectedObject& out,
                std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
#if defined(__GNUC__)
        // A record's corners and attributes lie on three lines apart, which the processor does not
        // fetch ahead on its own: those of a record a few places on are asked for meanwhile.
        if (i + kRecordsAhead < to) {
            const WorkPrimitive& ahead = records[i + kRecordsAhead];
            __builtin_prefetch(&ahead.x[0]);
            __builtin_prefetch(&ahead.z[3]);
            __builtin_prefetch(&ahead.attr);
        }
#endif
        ScreenPoint screen[4]{};
        std::int32_t depth[4];
        const int corners = projector.ProjectCorners(records[i], screen, depth);
        // The average depth is summed with wrap-around, as a 32-bit register would.
        std::uint32_t sum = 0;
        for (int k = 0; k < corners; ++k)
            sum += static_cast<std::uint32_t>(depth[k]);
        if (corners == 4)
            std::swap(screen[2], screen[3]);
        out.depth[i] = corners == 4 ? static_cast<std::int32_t>(sum) / 4 : static_cast<std::int32_t>(sum) / 3;
        out.corners[i] = static_cast<std::uint8_t>(corners);
        std::copy(std::begin(screen), std::end(screen), out.screen[i].begin());
    }
}

} // namespace

void ProjectObject(std::span<const WorkPrimitive> records, const Projector& projector, ProjectedObject& out) {
    const std::size_t n = records.size();
    out.screen.resize(n);
    out.depth.resize(n);
    out.corners.resize(n);
    // Large objects are shared among the processors: a thread's start costs what a few hundred
    // records do.
    constexpr std::size_t kThreadedRecords = 16384;
    const unsigned parts = n >= kThreadedRecords ? WorkerCount() : 1u;
    RunParts(parts, [&](unsigned part) {
        ProjectRun(records, projector, out, n * part / parts, n * (part + 1) / parts);
    });
    out.order.resize(n);
    if (!OrderByDepth(out.depth, out.order)) {
        // Without the radix sort's memory: a stable sort gives the same order (it falls back to an
        // in-place merge when it cannot have its own buffer).
        for (std::size_t i = 0; i < n; ++i)
            out.order[i] = static_cast<std::uint32_t>(i);
        std::stable_sort(out.order.begin(), out.order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return out.depth[a] > out.depth[b]; });
    }
    // The axes are drawn from the window's centre, at the point the model turns about.
    const double axisEnds[3][3] = {{64, 0, 0}, {0, 64, 0}, {0, 0, 64}};
    const std::array<double, 3>& pivot = projector.Pivot();
    for (std::size_t a = 0; a < 3; ++a) {
        std::int32_t depth = 0;
        out.axis[a] = projector.Project(pivot[0] + axisEnds[a][0], pivot[1] + axisEnds[a][1],
                                        pivot[2] + axisEnds[a][2], depth);
    }
}

void ProjectPackets(std::span<const KeptPacket> packets, const Projector& projector,
                    std::vector<ProjectedPacket>& out) {
    out.resize(packets.size());
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const KeptPacket& packet = packets[i];
        std::int64_t sum = 0;
        for (std::size_t k = 0; k < packet.vertexCount; ++k) {
            std::int32_t depth = 0;
            const TmdVector& v = packet.vertices[k];
            out[i].screen[k] = projector.Project(v.vx, v.vy, v.vz, depth);
            sum += depth;
        }
        out[i].depth = packet.vertexCount ? static_cast<std::int32_t>(sum / packet.vertexCount) : 0;
    }
}

} // namespace polyvane
