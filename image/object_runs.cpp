#include <algorithm>
#include <vector>

#include "image/image_objects.h"
#include "image/pixel_sums.h"

namespace varnel::image {
namespace {

// Exact sums over the pixels of an object: squares of columns and rows of an image of up to
// 400 megapixels overflow 64 bits.
__extension__ typedef __int128 Wide;

// A run of object pixels along one row, columns first to last; `parent` links the runs of one
// object to its first run (the lowest index), as a union–find forest, and once the objects are
// numbered holds −number. Twelve bytes a run: a grain map holds a few hundred thousand.
struct PixelRun {
    int first, last, parent;
};

int Root(std::vector<PixelRun>& runs, int k) {
    while (runs[k].parent != k) {
        runs[k].parent = runs[runs[k].parent].parent;
        k = runs[k].parent;
    }
    return k;
}

void Join(std::vector<PixelRun>& runs, int a, int b) {
    a = Root(runs, a);
    b = Root(runs, b);
    if (a != b) runs[std::max(a, b)].parent = std::min(a, b);
}

std::size_t CountRuns(const cv::Mat& binary) {
    std::size_t count = 0;
    for (int r = 0; r < binary.rows; ++r) {
        const uchar* row = binary.ptr<uchar>(r);
        count += row[0] != 0;
        for (int c = 1; c < binary.cols; ++c) count += row[c] != 0 && row[c - 1] == 0;
    }
    return count;
}

// Every run of non-zero pixels, row by row (row r's from rowStart[r]), joined with the runs of
// the row above that touch it by an edge or a corner (8-connected: columns overlapping after
// widening by one). Counted first, so that the runs take no more room than they need.
std::vector<PixelRun> JoinedRuns(const cv::Mat& binary, std::vector<int>& rowStart) {
    std::vector<PixelRun> runs;
    runs.reserve(CountRuns(binary));
    rowStart.assign(binary.rows + 1, 0);
    int above = 0, aboveEnd = 0;
    for (int r = 0; r < binary.rows; ++r) {
        rowStart[r] = static_cast<int>(runs.size());
        const uchar* row = binary.ptr<uchar>(r);
        for (int c = 0; c < binary.cols; ++c) {
            if (row[c] == 0) continue;
            int e = c;
            while (e + 1 < binary.cols && row[e + 1] != 0) ++e;
            const int k = static_cast<int>(runs.size());
            runs.push_back({c, e, k});
            // Runs above that end left of c − 1 touch no later run of this row either.
            while (above < aboveEnd && runs[above].last < c - 1) ++above;
            for (int q = above; q < aboveEnd && runs[q].first <= e + 1; ++q) Join(runs, k, q);
            c = e;
        }
        above = rowStart[r];
        aboveEnd = static_cast<int>(runs.size());
    }
    rowStart[binary.rows] = static_cast<int>(runs.size());
    return runs;
}

struct WideSums {
    Wide n = 0, c = 0, r = 0, cc = 0, rr = 0, cr = 0;
};

// Σx² for x = 0 … m: m(m + 1)(2m + 1)/6.
Wide SquaresUpTo(Wide m) { return m * (m + 1) * (2 * m + 1) / 6; }

// The sums about the object's first pixel (c0, r0), from those about the origin:
// Σ(c − c0) = Σc − n·c0, Σ(c − c0)² = Σc² − 2c0·Σc + n·c0², Σ(c − c0)(r − r0) = Σcr − r0·Σc −
// c0·Σr + n·c0·r0; all exact, so as long double the same integers a pixel-by-pixel sum gives.
void Shift(const WideSums& w, PixelSums& s) {
    const Wide c0 = s.c0, r0 = s.r0;
    s.n = static_cast<long long>(w.n);
    s.c = static_cast<long double>(w.c - w.n * c0);
    s.r = static_cast<long double>(w.r - w.n * r0);
    s.cc = static_cast<long double>(w.cc - 2 * c0 * w.c + w.n * c0 * c0);
    s.rr = static_cast<long double>(w.rr - 2 * r0 * w.r + w.n * r0 * r0);
    s.cr = static_cast<long double>(w.cr - r0 * w.c - c0 * w.r + w.n * c0 * r0);
}

}  // namespace

ImageObjects MeasureBinaryObjects(const cv::Mat& binary, const ImageOptions& options,
                                  bool keepLabels) {
    ImageObjects result;
    result.width = binary.cols;
    result.height = binary.rows;
    std::vector<int> rowStart;
    std::vector<PixelRun> runs = JoinedRuns(binary, rowStart);
    // Objects numbered in the order of their first runs, which are their roots; every other
    // run's parent comes before it, so already holds its object's −number.
    std::vector<PixelSums> sums;
    std::vector<WideSums> wide;
    for (int row = 0; row < binary.rows; ++row) {
        for (int k = rowStart[row]; k < rowStart[row + 1]; ++k) {
            PixelRun& run = runs[k];
            if (run.parent == k) {
                sums.push_back({run.first, row, 0, 0, 0, 0, 0, 0, run.first, row, run.last, row});
                wide.emplace_back();
                run.parent = -static_cast<int>(sums.size());
            } else {
                run.parent = runs[run.parent].parent;
            }
            const int number = -run.parent;
            PixelSums& s = sums[number - 1];
            s.left = std::min(s.left, run.first);
            s.right = std::max(s.right, run.last);
            s.bottom = row;
            // Over columns a … b of row r (m pixels): Σc = (a + b)·m/2, Σc² = S(b) − S(a − 1),
            // Σr = r·m, Σr² = r²·m, Σcr = r·Σc.
            WideSums& w = wide[number - 1];
            const Wide a = run.first, b = run.last, r = row, m = b - a + 1;
            const Wide sumC = (a + b) * m / 2;
            w.n += m;
            w.c += sumC;
            w.cc += SquaresUpTo(b) - (a > 0 ? SquaresUpTo(a - 1) : 0);
            w.r += r * m;
            w.rr += r * r * m;
            w.cr += r * sumC;
        }
    }
    for (std::size_t k = 0; k < sums.size(); ++k) Shift(wide[k], sums[k]);
    std::vector<bool> picked(sums.size(), false);
    for (const PixelPosition& p : options.excludedByHand) {
        if (p.row < 0 || p.row >= binary.rows) continue;
        for (int k = rowStart[p.row]; k < rowStart[p.row + 1]; ++k) {
            if (runs[k].first <= p.column && p.column <= runs[k].last) {
                picked[-runs[k].parent - 1] = true;
            }
        }
    }
    AddMeasuredObjects(result, sums, picked, options);
    if (keepLabels) {
        result.labels = cv::Mat(binary.size(), CV_32S, cv::Scalar(0));
        for (int row = 0; row < binary.rows; ++row) {
            int* labels = result.labels.ptr<int>(row);
            for (int k = rowStart[row]; k < rowStart[row + 1]; ++k) {
                std::fill(labels + runs[k].first, labels + runs[k].last + 1, -runs[k].parent);
            }
        }
    }
    return result;
}

}  // namespace varnel::image
