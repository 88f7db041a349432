#include "image/object_overlay.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <opencv2/imgproc.hpp>

#include "image/image_codecs.h"
#include "image/object_export.h"

namespace varnel::image {

namespace {

// A colour "#rrggbb" as OpenCV's blue, green, red.
cv::Scalar Bgr(const char* hex) {
    const unsigned long rgb = std::strtoul(hex + 1, nullptr, 16);
    return cv::Scalar(rgb & 0xff, rgb >> 8 & 0xff, rgb >> 16 & 0xff);
}

struct Marks {
    cv::Scalar outline, ellipse, caption;
    const char *svgOutline, *svgEllipse, *svgCaption;
};

Marks MarksOf(const ImageObject& o) {
    const OverlayColours c = OverlayColoursOf(o.exclusion);
    return {Bgr(c.outline), Bgr(c.ellipse), Bgr(c.caption), c.outline, c.ellipse, c.caption};
}

}  // namespace

OverlayColours OverlayColoursOf(Exclusion exclusion) {
    if (exclusion == Exclusion::None) return {"#00aa00", "#005aff", "#000000"};
    if (exclusion == Exclusion::Hand) return {"#ff8c00", "#ffc080", "#ff8c00"};
    return {"#e60000", "#ff7878", "#e60000"};
}

cv::Mat OverlayUnderlay(const cv::Mat& image, const ImageOptions& options) {
    cv::Mat grey;
    if (options.labels) {
        cv::Mat labels;
        image.convertTo(labels, CV_32S);
        grey = cv::Mat(image.size(), CV_8U, cv::Scalar(0));
        grey.setTo(255, labels > 0);
    } else {
        grey = GreyLevels(image);
    }
    grey.convertTo(grey, CV_8U, 150.0 / 255.0, 40);
    return grey;
}

namespace {

std::string Caption(const ImageObject& o) {
    std::string text = std::to_string(o.number);
    if (o.exclusion != Exclusion::None) text += std::string(" ") + ExclusionName(o.exclusion);
    return text;
}

// Text as SVG holds it: '>' (of "R > 100") and '<', '&' escaped.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c == '>' ? "&gt;" : c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
    }
    return escaped;
}

// A number as printf's %.Ng writes it under the "C" locale, whatever the program's locale:
// SVG takes a point only.
std::string Format(double value, int digits) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr;
    return std::string(text, end);
}

std::string Base64(const std::vector<uchar>& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = bytes[i] << 16;
        if (n > 1) v |= bytes[i + 1] << 8;
        if (n > 2) v |= bytes[i + 2];
        for (std::size_t k = 0; k < 4; ++k) text += k <= n ? digits[v >> (18 - 6 * k) & 63] : '=';
    }
    return text;
}

std::string EncodePng(const cv::Mat& picture) {
    const std::vector<uchar> bytes = EncodeImage(".png", picture, "The overlay cannot be drawn");
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int OverlayScale(int width, int height) {
    return std::clamp(1600 / std::max({width, height, 1}), 1, 4);
}

std::string OverlayPng(const cv::Mat& image, const ImageObjects& objects,
                       const ImageOptions& options) {
    const int s = OverlayScale(objects.width, objects.height);
    cv::Mat grey, picture;
    cv::resize(OverlayUnderlay(image, options), grey, {}, s, s, cv::INTER_NEAREST);
    cv::cvtColor(grey, picture, cv::COLOR_GRAY2BGR);
    // Positions to 1/16 pixel: a point (x, y up) of the image at (s·x − ½, s·(H − y) − ½).
    constexpr int kShift = 4;
    const auto at = [&](double x, double y) {
        return cv::Point(cvRound((s * x - 0.5) * 16),
                         cvRound((s * (objects.height - y) - 0.5) * 16));
    };
    for (const ImageObject& o : objects.objects) {
        const Marks marks = MarksOf(o);
        // cv::ellipse turns clockwise on the screen (rows down): φ anticlockwise is −φ there.
        const cv::Size axes(cvRound(s * o.major * 16), cvRound(s * o.minor * 16));
        cv::ellipse(picture, at(o.x, o.y), axes, -o.degrees, 0, 360, marks.ellipse, 1, cv::LINE_AA,
                    kShift);
        // The outline over the ellipse, so that its pixels keep their colour.
        for (const PixelRing& ring : ObjectRings(objects, o)) {
            std::vector<cv::Point> points;
            for (const cv::Point& p : ring) points.push_back(at(p.x, p.y));
            cv::polylines(picture, points, true, marks.outline, 1, cv::LINE_8, kShift);
        }
        const double scale = 0.3 + 0.1 * s;
        int baseline = 0;
        const std::string caption = Caption(o);
        const cv::Size size =
            cv::getTextSize(caption, cv::FONT_HERSHEY_SIMPLEX, scale, 1, &baseline);
        const cv::Point centre(cvRound(s * o.x), cvRound(s * (objects.height - o.y)));
        cv::putText(picture, caption, centre + cv::Point(-size.width / 2, size.height / 2),
                    cv::FONT_HERSHEY_SIMPLEX, scale, marks.caption, 1, cv::LINE_AA);
    }
    return EncodePng(picture);
}

std::string OverlaySvg(const cv::Mat& image, const ImageObjects& objects,
                       const ImageOptions& options) {
    const int s = OverlayScale(objects.width, objects.height);
    const int w = objects.width, h = objects.height;
    const std::vector<uchar> png =
        EncodeImage(".png", OverlayUnderlay(image, options), "The overlay cannot be drawn");
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(s * w) +
            "\" height=\"" + std::to_string(s * h) + "\" viewBox=\"0 0 " + std::to_string(w) + " " +
            std::to_string(h) + "\">\n";
    text += "<image width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
            "\" style=\"image-rendering:pixelated\" href=\"data:image/png;base64," + Base64(png) +
            "\"/>\n";
    text += "<g fill=\"none\" stroke-width=\"" + Format(1.0 / s, 3) + "\">\n";
    for (const ImageObject& o : objects.objects) {
        const Marks marks = MarksOf(o);
        std::string path;
        for (const PixelRing& ring : ObjectRings(objects, o)) {
            for (std::size_t i = 0; i < ring.size(); ++i) {
                path += (i ? " L" : "M") + std::to_string(ring[i].x) + " " +
                        std::to_string(h - ring[i].y);
            }
            path += " Z ";
        }
        text += "<path stroke=\"" + std::string(marks.svgOutline) + "\" d=\"" + path + "\"/>\n";
        const std::string centre = Format(o.x, 6) + " " + Format(h - o.y, 6);
        text += "<ellipse stroke=\"" + std::string(marks.svgEllipse) + "\" cx=\"" + Format(o.x, 6) +
                "\" cy=\"" + Format(h - o.y, 6) + "\" rx=\"" + Format(o.major, 6) + "\" ry=\"" +
                Format(o.minor, 6) + "\" transform=\"rotate(" + Format(-o.degrees, 6) + " " +
                centre + ")\"/>\n";
        text += "<text x=\"" + Format(o.x, 6) + "\" y=\"" + Format(h - o.y, 6) + "\" fill=\"" +
                std::string(marks.svgCaption) +
                "\" stroke=\"none\" font-family=\"Arial\" font-size=\"" + Format(8.0, 3) +
                "\" text-anchor=\"middle\" dominant-baseline=\"central\">" + Escaped(Caption(o)) +
                "</text>\n";
    }
    return text + "</g>\n</svg>\n";
}

}  // namespace varnel::image
