#pragma once

#include "study/ProgressData.h"

struct WordTimeline;

// The progress window's figures in words and its day labels, worked out here so that the window
// only draws them (and so that they can be checked without Qt Charts).
namespace ProgressFigures {

constexpr int DueDays = 14;

// Takes the known words over time and the coming due days into the data.
void addTimeline(ProgressData& data, const WordTimeline& timeline);
// Fills the texts and labels from the figures.
void describe(ProgressData& data);

} // namespace ProgressFigures
