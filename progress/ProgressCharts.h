#pragma once

#include "progress/ProgressView.h"

class QChart;

// Draws the progress window's charts from the figures, each over an emptied chart.
namespace ProgressCharts {

// Shares of known, learning and new words in each length's list, the counts on the bars.
void fillShares(QChart* chart, const QList<ProgressData::Length>& lengths);
// Known words of each length, day by day since the first answer.
void fillKnown(QChart* chart, const ProgressData& data);
// Words due on each of the coming days.
void fillDue(QChart* chart, const ProgressData& data);
// Answers on each of the last days, and the share right.
void fillDays(QChart* chart, const ProgressData& data);

} // namespace ProgressCharts
