#pragma once

// The options of varnel-cli's command line. CLI11's header takes seconds to compile (several
// times that under the sanitizers), so only cli/main.cpp includes this file and CLI11 with it:
// the rest of the program never sees CLI11.
#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string>

#include "cli/exports.h"
#include "cli/import_options.h"
#include "cli/methods_output.h"
#include "cli/sections_plots.h"

namespace varnel::cli {

/// Runs `parse` on an option's text; its usage error becomes CLI11's, which the parse reports.
template <typename Parse>
auto UsageChecked(const Parse& parse, const std::string& text) {
    try {
        return parse(text);
    } catch (const std::invalid_argument& error) {
        throw CLI::ValidationError(error.what());
    }
}

/// The exports of a single data file: the T² grid, the plots in each format and the report PDF.
inline void AddExportOptions(CLI::App& app, ExportRequest& exports) {
    app.add_option("--t2-grid", exports.tSquaredGrid,
                   "Save the T² grid over the Post-strain frame");
    app.add_option("--post-emf", exports.postEmf,
                   "Save the Post-strain plot as an Enhanced Metafile");
    app.add_option("--pre-emf", exports.preEmf, "Save the Pre-strain plot as an Enhanced Metafile");
    app.add_option("--post-svg", exports.postSvg, "Save the Post-strain plot as SVG");
    app.add_option("--pre-svg", exports.preSvg, "Save the Pre-strain plot as SVG");
    app.add_option("--post-png", exports.postPng, "Save the Post-strain plot as PNG");
    app.add_option("--pre-png", exports.prePng, "Save the Pre-strain plot as PNG");
    app.add_option("--rfphi-svg", exports.rfphi.svg, "Save the Rf/phi plot as SVG");
    app.add_option("--rfphi-png", exports.rfphi.png, "Save the Rf/phi plot as PNG");
    app.add_option("--rfphi-emf", exports.rfphi.emf,
                   "Save the Rf/phi plot as an Enhanced Metafile");
    app.add_option("--post-picture", exports.postPicture,
                   "Save the Post-strain plot in the format of the name's extension (.emf, .svg, "
                   ".png, .pdf, .jpg, .jpeg, .tif, .tiff)");
    app.add_option("--pre-picture", exports.prePicture,
                   "Save the Pre-strain plot in the format of the name's extension");
    app.add_option("--rfphi-picture", exports.rfphi.picture,
                   "Save the Rf/phi plot in the format of the name's extension");
    app.add_option("--report-pdf", exports.reportPdf,
                   "Save a PDF of one or two A4 pages: the report, the estimators and fabric "
                   "tests, the bootstrap when run, and the Post-strain, Pre-strain and Rf/phi "
                   "plots");
    app.add_option("--size", exports.pictureWidth, "Picture width in pixels")
        ->check(CLI::Range(kMinPictureWidth, kMaxPictureWidth));
}

/// The options --flinn-svg, --flinn-png, --flinn-pdf, --flinn-picture and their --hsu- twins.
inline void AddSectionsPlotOptions(CLI::App& app, SectionsPlotRequest& request) {
    const std::string flinn = "With --sections: save the logarithmic Flinn plot of every sample";
    const std::string hsu = "With --sections: save the Hsu plot (Lode nu, eps_s) of every sample";
    const std::string extension = " in the format of the name's extension";
    app.add_option("--flinn-svg", request.flinnSvg, flinn + " as SVG");
    app.add_option("--flinn-png", request.flinnPng, flinn + " as PNG");
    app.add_option("--flinn-pdf", request.flinnPdf, flinn + " as PDF");
    app.add_option("--flinn-picture", request.flinnPicture, flinn + extension);
    app.add_option("--hsu-svg", request.hsuSvg, hsu + " as SVG");
    app.add_option("--hsu-png", request.hsuPng, hsu + " as PNG");
    app.add_option("--hsu-pdf", request.hsuPdf, hsu + " as PDF");
    app.add_option("--hsu-picture", request.hsuPicture, hsu + extension);
}

/// Adds --columns R=COL,phi=COL, the image options (--threshold otsu|N, --invert, --labels,
/// --min-area PX, --keep-edge, --split, --overlay-png, --overlay-svg, --export-objects) and
/// --export-data FILE to the command line.
inline void AddImportOptions(CLI::App& app, ImportRequest& request) {
    app.add_option_function<std::string>(
        "--columns",
        [&request](const std::string& text) {
            request.options.columns = UsageChecked(ParseColumnChoice, text);
        },
        "Columns of R and phi in a table with a header line: R=COL,phi=COL (name or number)");
    auto& image = request.options.image;
    app.add_option_function<std::string>(
        "--threshold",
        [&image](const std::string& text) { image.threshold = UsageChecked(ParseThreshold, text); },
        "Image: objects are the pixels above this grey level (0-255), or otsu (default)");
    app.add_flag("--invert", image.invert, "Image: objects dark on light");
    app.add_flag("--labels", image.labels,
                 "Image: a label image, each non-zero value (8 or 16 bit) one object");
    app.add_option_function<std::string>(
        "--min-area",
        [&image](const std::string& text) {
            image.minimumArea = UsageChecked(ParseMinimumArea, text);
        },
        "Image: least area of a kept object in pixels (default 100)");
    app.add_flag("--keep-edge", image.keepEdge, "Image: keep objects that touch the edge");
    app.add_flag("--split", image.split,
                 "Image: split touching objects (distance transform and watershed)");
    app.add_option("--export-data", request.exportData,
                   "Save the ellipses read as a plain R, phi data file");
    app.add_option("--overlay-png", request.overlayPng,
                   "Image: save the image with each object's outline, ellipse and number as PNG");
    app.add_option("--overlay-svg", request.overlaySvg, "Image: save the overlay as SVG");
    app.add_option("--export-objects", request.exportObjects,
                   "Image: save every object (number, x, y, area, R, phi, why excluded) as .csv, "
                   "or with its outline as .geojson");
}

/// Adds --methods, --bootstrap and --seed to the command line.
inline void AddMethodsOptions(CLI::App& app, MethodsRequest& request) {
    app.add_flag("--methods", request.methods,
                 "Also the hyperbolic and harmonic means, Rf max/min and the fabric tests: no "
                 "strain (F test that the mean log-strain vector is zero), symmetry chi2 (are "
                 "the retro-deformed orientations uniform about the strain axis?) and symmetry "
                 "index (are the ellipses symmetric about their mean orientation?). Each rejects "
                 "about 5 % of sets without an initial fabric at p < 0.05 (3.5 to 5.6 % in "
                 "simulations); the symmetry tests take p "
                 "from 999 simulated sets (fewer above 1000 data). They see an imbricated fabric "
                 "from a few dozen ellipses, a single-mode fabric only from hundreds. A fabric "
                 "aligned with the strain, as an earlier strain leaves it, looks exactly like "
                 "more strain to every Rf/phi method: no test sees it");
    app.add_option("--bootstrap", request.bootstrap, ResampleHelp());
    app.add_option("--seed", request.seed, "Seed of the bootstrap's resamples (default 1)");
}

}  // namespace varnel::cli
