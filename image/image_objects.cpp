#include "image/image_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <queue>

#include "core/io_error.h"
#include "core/varnel_error.h"
#include "image/pixel_sums.h"

namespace varnel::image {

namespace {

// Splits touching objects: each component is flooded from its cores (its pixels farther from
// the background than 0.65 of its deepest), the farthest pixels first, each pixel taking the label
// of the neighbour that reached it. Every piece is therefore connected and lies inside one
// component, and two pieces meet where their floods meet: at the neck between two grains. The
// frame of one pixel makes the image's edge count as background for the distance.
cv::Mat SplitTouching(const cv::Mat& binary) {
    cv::Mat framed;
    cv::copyMakeBorder(binary, framed, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
    cv::Mat distance, components;
    cv::distanceTransform(framed, distance, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    const int count = cv::connectedComponents(framed, components, 8, CV_32S);
    std::vector<float> deepest(count, 0.0f);
    for (int r = 0; r < framed.rows; ++r) {
        for (int c = 0; c < framed.cols; ++c) {
            float& d = deepest[components.at<int>(r, c)];
            d = std::max(d, distance.at<float>(r, c));
        }
    }
    cv::Mat cores(framed.size(), CV_8U, cv::Scalar(0));
    for (int r = 0; r < framed.rows; ++r) {
        for (int c = 0; c < framed.cols; ++c) {
            const int k = components.at<int>(r, c);
            if (k > 0 && distance.at<float>(r, c) >= 0.65f * deepest[k])
                cores.at<uchar>(r, c) = 255;
        }
    }
    components.release();
    cv::Mat labels;
    cv::connectedComponents(cores, labels, 8, CV_32S);
    // The flood: farthest first, the earlier reached first among equals.
    struct Step {
        float distance;
        std::int64_t order;
        int index;
        bool operator<(const Step& other) const {
            return distance != other.distance ? distance < other.distance : order > other.order;
        }
    };
    std::priority_queue<Step> front;
    std::int64_t order = 0;
    const int cols = framed.cols;
    int* label = labels.ptr<int>();
    const float* depth = distance.ptr<float>();
    const auto reach = [&](int index) {
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                // Foreground never lies on the frame, so the neighbours stay inside.
                const int next = index + dr * cols + dc;
                if (label[next] != 0 || depth[next] <= 0) continue;
                label[next] = label[index];
                front.push({depth[next], order++, next});
            }
        }
    };
    const uchar* core = cores.ptr<uchar>();
    for (int index = 0; index < static_cast<int>(labels.total()); ++index) {
        if (core[index] != 0) reach(index);
    }
    cores.release();
    while (!front.empty()) {
        const int index = front.top().index;
        front.pop();
        reach(index);
    }
    return labels(cv::Rect(1, 1, binary.cols, binary.rows)).clone();
}

}  // namespace

cv::Mat GreyLevels(const cv::Mat& image) {
    cv::Mat grey;
    if (image.channels() == 3) {
        cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
    } else if (image.channels() == 4) {
        cv::cvtColor(image, grey, cv::COLOR_BGRA2GRAY);
    } else {
        cv::extractChannel(image, grey, 0);
    }
    if (grey.depth() == CV_16U) grey.convertTo(grey, CV_8U, 1.0 / 257.0);
    return grey;
}

const char* ExclusionName(Exclusion exclusion) {
    switch (exclusion) {
        case Exclusion::Edge:
            return "edge";
        case Exclusion::Small:
            return "small";
        case Exclusion::Elongated:
            return "R > 100";
        case Exclusion::Hand:
            return "by hand";
        case Exclusion::None:
            break;
    }
    return "";
}

cv::Mat ObjectLabels(const cv::Mat& image, const ImageOptions& options, const std::string& name) {
    cv::Mat labels;
    if (options.labels) {
        if (image.channels() != 1) {
            throw VarnelError("The label image \"" + FileNameOf(name) +
                              "\" has colour channels: a label image is one channel of 8 or 16 "
                              "bits, 0 the background.");
        }
        image.convertTo(labels, CV_32S);
        return labels;
    }
    const cv::Mat grey = GreyLevels(image);
    cv::Mat binary;
    const int type = options.invert ? cv::THRESH_BINARY_INV : cv::THRESH_BINARY;
    cv::threshold(grey, binary, options.threshold.value_or(0), 255,
                  options.threshold ? type : type | cv::THRESH_OTSU);
    if (options.split) return SplitTouching(binary);
    cv::connectedComponents(binary, labels, 8, CV_32S);
    return labels;
}

void AddMeasuredObjects(ImageObjects& result, const std::vector<PixelSums>& sums,
                        const std::vector<bool>& picked, const ImageOptions& options) {
    for (std::size_t k = 0; k < sums.size(); ++k) {
        const PixelSums& s = sums[k];
        // Central moments of the pixels as unit squares, y up: μxx = Σdc²/n − mc² + 1/12,
        // μyy = Σdr²/n − mr² + 1/12, μxy = −(Σdc·dr/n − mc·mr) (rows run down).
        const long double n = static_cast<long double>(s.n), mc = s.c / n, mr = s.r / n;
        const long double muxx = s.cc / n - mc * mc + 1.0L / 12;
        const long double muyy = s.rr / n - mr * mr + 1.0L / 12;
        const long double muxy = -(s.cr / n - mc * mr);
        // λ₁,₂ = (μxx + μyy)/2 ± √(((μxx − μyy)/2)² + μxy²); φ = ½·atan2(2μxy, μxx − μyy)
        const long double mean = (muxx + muyy) / 2, radius = std::hypot((muxx - muyy) / 2, muxy);
        const long double lambda1 = mean + radius, lambda2 = mean - radius;
        long double degrees =
            std::atan2(2 * muxy, muxx - muyy) / 2 * 180 / std::numbers::pi_v<long double>;
        if (degrees <= -90) degrees += 180;
        ImageObject object;
        object.number = static_cast<int>(k + 1);
        object.x = static_cast<double>(s.c0 + mc + 0.5L);
        object.y = static_cast<double>(result.height - (s.r0 + mr) - 0.5L);
        object.area = s.n;
        object.ratio = static_cast<double>(std::sqrt(lambda1 / lambda2));
        object.degrees = static_cast<double>(degrees + 0.0L);
        object.major = static_cast<double>(2 * std::sqrt(lambda1));
        object.minor = static_cast<double>(2 * std::sqrt(lambda2));
        object.left = s.left;
        object.top = s.r0;
        object.right = s.right;
        object.bottom = s.bottom;
        const bool edge = s.left == 0 || s.r0 == 0 || s.right == result.width - 1 ||
                          s.bottom == result.height - 1;
        if (edge && !options.keepEdge) {
            object.exclusion = Exclusion::Edge;
        } else if (s.n < options.minimumArea) {
            object.exclusion = Exclusion::Small;
        } else if (!(object.ratio <= kLargestObjectRatio)) {
            object.exclusion = Exclusion::Elongated;
        } else if (picked[k]) {
            object.exclusion = Exclusion::Hand;
        } else {
            ++result.kept;
        }
        result.objects.push_back(object);
    }
}

ImageObjects MeasureObjects(const cv::Mat& labels, const ImageOptions& options) {
    ImageObjects result;
    result.width = labels.cols;
    result.height = labels.rows;
    result.labels = labels.clone();
    double largestLabel = 0;
    cv::minMaxLoc(labels, nullptr, &largestLabel);
    std::vector<int> numberOf(static_cast<std::size_t>(largestLabel) + 1, 0);
    std::vector<PixelSums> sums;
    for (int r = 0; r < labels.rows; ++r) {
        int* row = result.labels.ptr<int>(r);
        for (int c = 0; c < labels.cols; ++c) {
            if (row[c] <= 0) continue;
            int& number = numberOf[row[c]];
            if (number == 0) {
                sums.push_back({c, r, 0, 0, 0, 0, 0, 0, c, r, c, r});
                number = static_cast<int>(sums.size());
            }
            row[c] = number;
            PixelSums& s = sums[number - 1];
            const long double dc = c - s.c0, dr = r - s.r0;
            ++s.n;
            s.c += dc;
            s.r += dr;
            s.cc += dc * dc;
            s.rr += dr * dr;
            s.cr += dc * dr;
            s.left = std::min(s.left, c);
            s.right = std::max(s.right, c);
            s.bottom = r;
        }
    }
    std::vector<bool> picked(sums.size(), false);
    for (const PixelPosition& p : options.excludedByHand) {
        if (p.column < 0 || p.row < 0 || p.column >= labels.cols || p.row >= labels.rows) continue;
        if (const int number = result.labels.at<int>(p.row, p.column); number > 0) {
            picked[number - 1] = true;
        }
    }
    AddMeasuredObjects(result, sums, picked, options);
    return result;
}

ImageObjects FindObjects(cv::Mat image, const ImageOptions& options, const std::string& name,
                         bool keepLabels) {
    if (options.labels || options.split) {
        return MeasureObjects(ObjectLabels(image, options, name), options);
    }
    // A grey image that no one else holds is thresholded where it lies.
    const bool own = image.type() == CV_8UC1 && image.u != nullptr && image.u->refcount == 1;
    cv::Mat binary = own ? image : GreyLevels(image);
    image.release();
    const int type = options.invert ? cv::THRESH_BINARY_INV : cv::THRESH_BINARY;
    cv::threshold(binary, binary, options.threshold.value_or(0), 255,
                  options.threshold ? type : type | cv::THRESH_OTSU);
    return MeasureBinaryObjects(binary, options, keepLabels);
}

ImageObjects ReadImageObjects(const std::string& path, const ImageOptions& options) {
    return FindObjects(ReadImageFile(path), options, path, true);
}

std::vector<cv::Point> ObjectOutline(const ImageObjects& objects, const ImageObject& object) {
    const cv::Rect box(object.left, object.top, object.right - object.left + 1,
                       object.bottom - object.top + 1);
    cv::Mat mask;
    cv::copyMakeBorder(objects.labels(box) == object.number, mask, 1, 1, 1, 1, cv::BORDER_CONSTANT,
                       0);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE,
                     cv::Point(object.left - 1, object.top - 1));
    if (contours.empty()) return {};
    return *std::max_element(contours.begin(), contours.end(), [](const auto& a, const auto& b) {
        return cv::contourArea(a) < cv::contourArea(b);
    });
}

bool HasImageName(const std::string& path) {
    std::string name = FileNameOf(path);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* extension : {".png", ".tif", ".tiff", ".bmp", ".jpg", ".jpeg", ".pgm"}) {
        if (name.ends_with(extension)) return true;
    }
    return false;
}

}  // namespace varnel::image
