#pragma once

#include <QDialog>
#include <string>

#include "core/analysis_state.h"

class QLabel;
class QTableWidget;

namespace varnel::app {

/// View > Data: the ellipses of the analysis as they were read, one row each, so that an import
/// can be checked before its estimate is trusted. Not modal; the main window hands it the state
/// after every Open that stores one.
class TFormData : public QDialog {
public:
    explicit TFormData(QWidget* parent = nullptr);

    /// Lists the ellipses of `state` (none for null): the datum's line in the file (its outline's
    /// number for GeoJSON), R, φ in degrees with `decimalSeparator`, and for a text file or
    /// table the line as it stands in the file now.
    void ShowData(const AnalysisState* state, char decimalSeparator);

private:
    QLabel* DataStatus = nullptr;
    QTableWidget* DataGrid = nullptr;
};

}  // namespace varnel::app
