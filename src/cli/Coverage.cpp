#include "cli/Coverage.h"

#include <algorithm>

namespace cli {
namespace {

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersection(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The covered length of the y axis while sweeping across x: a segment tree over the distinct y
// edges, each node holding how many rectangles span it whole and the length covered below it.
// n log n for n rectangles, where a grid of their edges would be n squared cells.
class CoveredLength {
public:
    explicit CoveredLength(std::vector<LONG> ys) : m_ys(std::move(ys)), m_count(4 * m_ys.size()), m_length(4 * m_ys.size()) {}

    void Add(LONG top, LONG bottom, int delta) {
        const auto first = static_cast<std::size_t>(std::lower_bound(m_ys.begin(), m_ys.end(), top) - m_ys.begin());
        const auto last = static_cast<std::size_t>(std::lower_bound(m_ys.begin(), m_ys.end(), bottom) - m_ys.begin());
        if (first < last) Update(1, 0, m_ys.size() - 1, first, last, delta);
    }
    std::int64_t Length() const { return m_length[1]; }

private:
    // Node covers the elementary segments [low, high) between m_ys[low] and m_ys[high].
    void Update(std::size_t node, std::size_t low, std::size_t high, std::size_t first, std::size_t last, int delta) {
        if (last <= low || high <= first) return;
        if (first <= low && high <= last) {
            m_count[node] += delta;
        } else {
            const std::size_t middle = (low + high) / 2;
            Update(2 * node, low, middle, first, last, delta);
            Update(2 * node + 1, middle, high, first, last, delta);
        }
        if (m_count[node] > 0) {
            m_length[node] = std::int64_t{m_ys[high]} - m_ys[low];
        } else {
            m_length[node] = high - low > 1 ? m_length[2 * node] + m_length[2 * node + 1] : 0;
        }
    }

    std::vector<LONG> m_ys;
    std::vector<int> m_count;
    std::vector<std::int64_t> m_length;
};

}  // namespace

std::int64_t Area(const RECT& r) {
    return IsEmpty(r) ? 0 : (std::int64_t{r.right} - r.left) * (std::int64_t{r.bottom} - r.top);
}

std::int64_t UnionArea(std::span<const RECT> rects) {
    struct Edge {
        LONG x, top, bottom;
        int delta;
    };
    std::vector<Edge> edges;
    std::vector<LONG> ys;
    for (const RECT& r : rects) {
        if (IsEmpty(r)) continue;
        edges.push_back({r.left, r.top, r.bottom, 1});
        edges.push_back({r.right, r.top, r.bottom, -1});
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    if (edges.empty()) return 0;
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.x < b.x; });
    CoveredLength covered(std::move(ys));
    std::int64_t area = 0;
    LONG x = edges.front().x;
    for (const Edge& edge : edges) {
        area += covered.Length() * (std::int64_t{edge.x} - x);
        x = edge.x;
        covered.Add(edge.top, edge.bottom, edge.delta);
    }
    return area;
}

Coverage ComputeCoverage(const RECT& frame, std::span<const RECT> monitors, std::span<const RECT> covers,
                         std::size_t topCount) {
    Coverage c;
    c.frame = Area(frame);
    if (c.frame == 0) {
        c.perMonitor.assign(monitors.size(), 0);
        return c;
    }
    std::vector<RECT> onMonitors, underCovers;
    for (const RECT& monitor : monitors) {
        onMonitors.push_back(Intersection(frame, monitor));
        c.perMonitor.push_back(Area(onMonitors.back()));
    }
    for (std::size_t i = 0; i < covers.size(); ++i) {
        const RECT part = Intersection(frame, covers[i]);
        if (IsEmpty(part)) continue;
        underCovers.push_back(part);
        c.top.push_back({i, Area(part)});
    }
    c.onMonitors = UnionArea(onMonitors);
    c.covered = UnionArea(underCovers);
    // Covered on a monitor: every cover's part cut by every monitor, few monitors as there are.
    std::vector<RECT> hidden;
    for (const RECT& part : underCovers) {
        for (const RECT& screen : onMonitors) {
            const RECT both = Intersection(part, screen);
            if (!IsEmpty(both)) hidden.push_back(both);
        }
    }
    c.shown = c.onMonitors - UnionArea(hidden);
    c.coverCount = c.top.size();
    std::stable_sort(c.top.begin(), c.top.end(), [](const CoverShare& a, const CoverShare& b) { return a.area > b.area; });
    if (c.top.size() > topCount) c.top.resize(topCount);
    return c;
}

double PercentOf(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

}  // namespace cli
