#include "image/object_picking.h"

#include <algorithm>
#include <array>

namespace varnel::image {

ObjectMap MapObjects(const cv::Mat& image, const ImageOptions& options, const std::string& name,
                     const std::atomic<bool>* stop) {
    ObjectMap map{options, FindObjects(image, options, name, true), {}};
    map.rings.reserve(map.found.objects.size());
    for (const ImageObject& object : map.found.objects) {
        if (stop != nullptr && *stop) break;
        map.rings.push_back(ObjectRings(map.found, object));
    }
    return map;
}

int ObjectNumberAt(const ImageObjects& found, PixelPosition at) {
    if (at.column < 0 || at.row < 0 || at.column >= found.width || at.row >= found.height ||
        found.labels.empty()) {
        return 0;
    }
    return std::max(0, found.labels.at<int>(at.row, at.column));
}

std::vector<PixelPosition> ToggleExcludedByHand(const ImageObjects& found,
                                                std::vector<PixelPosition> picked,
                                                PixelPosition at) {
    const int number = ObjectNumberAt(found, at);
    if (number == 0) return picked;
    const Exclusion exclusion = found.objects[number - 1].exclusion;
    if (exclusion == Exclusion::Hand) {
        std::erase_if(picked, [&](PixelPosition p) { return ObjectNumberAt(found, p) == number; });
    } else if (exclusion == Exclusion::None) {
        picked.push_back(at);
    }
    return picked;
}

std::string ObjectCountsLine(const ImageObjects& found) {
    constexpr std::array kReasons{Exclusion::Edge, Exclusion::Small, Exclusion::Elongated,
                                  Exclusion::Hand};
    std::array<int, kReasons.size()> counts{};
    for (const ImageObject& object : found.objects) {
        for (std::size_t i = 0; i < kReasons.size(); ++i)
            counts[i] += object.exclusion == kReasons[i];
    }
    std::string line = std::to_string(found.objects.size()) +
                       " objects: " + std::to_string(found.kept) + " kept; excluded: ";
    for (std::size_t i = 0; i < kReasons.size(); ++i) {
        line += (i ? ", " : "") + std::to_string(counts[i]) + " " + ExclusionName(kReasons[i]);
    }
    return line;
}

}  // namespace varnel::image
