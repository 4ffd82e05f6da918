#pragma once

#include "base/Settings.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QSpinBox;

// The study drill's settings: new words a day and the lengths to study. Made for the keyboard:
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
    QDialogButtonBox* buttons_ = nullptr;
};
