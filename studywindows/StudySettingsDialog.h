#pragma once

#include "base/Settings.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QHBoxLayout;
class QSpinBox;

// The study drill's settings: new words a day and the lengths to study. New words a day are
// either Auto (the player's answers a day set the day's number; the box is then the most) or
// a fixed number; each keeps its own figure, shown as the check box turns. Made for the keyboard:
// the number box has the focus, Alt plus the underlined letter reaches every control, Enter
// takes the settings and Escape leaves them as they were. OK is offered only while at least one
// length is ticked. Below them, the order the lengths' new words come in: shortest first, or mixed.
class StudySettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit StudySettingsDialog(const StudyPreferences& prefs, QWidget* parent = nullptr);

    StudyPreferences preferences() const;

    // Shows the dialog over parent; on OK stores the settings and returns true.
    static bool edit(QWidget* parent);

private:
    QSpinBox* newPerDay_ = nullptr;
    std::array<QCheckBox*, 3> lengths_{};
    QComboBox* order_ = nullptr; // items in the order of StudyOrder
    QCheckBox* auto_ = nullptr;
    int fixed_ = StudyPreferences::DefaultNewPerDay;  // while the box shows the cap
    int cap_ = StudyPreferences::DefaultNewPerDayCap; // while the box shows the fixed number
    void showPaceMode(bool automatic);
    QHBoxLayout* makeLengthRow(const StudyPreferences& prefs);
    QHBoxLayout* makePerDayRow(const StudyPreferences& prefs);
    QDialogButtonBox* buttons_ = nullptr;
};
