#include "cli/rfphi_export.h"

#include "plot/rfphi_plot.h"

namespace varnel::cli {

void RunRfPhiExports(const AnalysisState& state, const RfPhiExportRequest& request, int width,
                     char decimalSeparator) {
    if (!request.Any()) return;
    const plot::RfPhiPlotData data = plot::RfPhiDataOf(state, decimalSeparator);
    using plot::PictureFormat;
    const struct {
        const std::string& path;
        PictureFormat format;
    } pictures[] = {
        {request.svg, PictureFormat::Svg},
        {request.png, PictureFormat::Png},
        {request.emf, PictureFormat::Emf},
        {request.picture,
         request.picture.empty() ? PictureFormat::Emf : plot::PictureFormatOfPath(request.picture)},
    };
    for (const auto& picture : pictures) {
        if (!picture.path.empty()) {
            plot::ExportRfPhiPicture(data, picture.path, picture.format, width, width);
        }
    }
}

}  // namespace varnel::cli
