#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

#include "plot/rfphi_plot.h"

namespace varnel::app {

/// Shows the Rf/φ plot of the data it was given at the control's size, redrawn when the data
/// or the size change; a blank white area without data.
class RfPhiView : public QWidget {
public:
    explicit RfPhiView(QWidget* parent = nullptr);

    /// The plot's data, or nothing for a blank area.
    void SetData(std::optional<plot::RfPhiPlotData> data);
    const std::optional<plot::RfPhiPlotData>& Data() const { return data_; }
    /// The picture as last shown (null before the first paint).
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Redraw();

    std::optional<plot::RfPhiPlotData> data_;
    QImage picture_;
};

}  // namespace varnel::app
