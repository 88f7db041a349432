#pragma once

#include <string>
#include <vector>

#include "app/methods_table.h"
#include "ellipsoid/sections_study.h"

namespace varnel::app {

/// One row per section of every sample: sample, name, strike/dip, N ("—" where the table gave
/// R and φ), R and φ of its 2-D estimate and its misfit ("—" where its sample has no
/// ellipsoid). Numbers with `decimalSeparator`.
TextTable SectionsTable(const std::vector<ellipsoid::SampleStudy>& studies, char decimalSeparator);

/// The ellipsoid of one sample with a fit: X : Y : Z, the ratios, the principal axes as
/// trend/plunge in degrees, Flinn's k, Lode's ν, Nadai's ε_s and the incompatibility, each
/// with its bootstrap interval (or cone, for an axis) where one was estimated.
TextTable EllipsoidTable(const ellipsoid::SampleStudy& study, char decimalSeparator);

}  // namespace varnel::app
