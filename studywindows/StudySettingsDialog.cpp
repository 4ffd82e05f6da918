#include "studywindows/StudySettingsDialog.h"

#include "base/Branding.h"
#include "base/look/DesignUnits.h"
#include "base/look/ProgramIcon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

StudySettingsDialog::StudySettingsDialog(const StudyPreferences& prefs, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StudySettings"));
    setWindowTitle(QStringLiteral("Study Settings"));
    setWindowIcon(ProgramIcon());
    setFont(Fonts::window());

    newPerDay_ = new QSpinBox(this);
    newPerDay_->setRange(0, StudyPreferences::MaxNewPerDay);
    newPerDay_->setValue(prefs.newPerDay);
    newPerDay_->setAccessibleName(QStringLiteral("New words a day"));
    QHBoxLayout* lengthRow = makeLengthRow(prefs);
    order_ = new QComboBox(this);
    order_->addItems({QStringLiteral("Shortest first"), QStringLiteral("Mixed")});
    order_->setCurrentIndex(int(prefs.order));
    order_->setAccessibleName(QStringLiteral("Order of new words"));
    QHBoxLayout* perDayRow = makePerDayRow(prefs);

    auto* form = new QFormLayout;
    auto* perDayLabel = new QLabel(QStringLiteral("&New words a day:"), this);
    perDayLabel->setBuddy(newPerDay_);
    form->addRow(perDayLabel, perDayRow);
    form->addRow(new QLabel(QStringLiteral("Lengths to study:"), this), lengthRow);
    auto* orderLabel = new QLabel(QStringLiteral("New words &by length:"), this);
    orderLabel->setBuddy(order_);
    form->addRow(orderLabel, order_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    newPerDay_->setFocus();
}

// The boxes of the lengths to study; OK only while one is ticked at least.
QHBoxLayout* StudySettingsDialog::makeLengthRow(const StudyPreferences& prefs)
{
    auto* lengthRow = new QHBoxLayout;
    for (std::size_t i = 0; i < lengths_.size(); ++i) {
        const int length = StudyPreferences::AllLengths[qsizetype(i)];
        auto* box = new QCheckBox(QStringLiteral("&%1 letters").arg(length), this);
        box->setChecked(prefs.lengths.contains(length));
        connect(box, &QCheckBox::toggled, this, [this] {
            buttons_->button(QDialogButtonBox::Ok)->setEnabled(!preferences().lengths.isEmpty());
        });
        lengthRow->addWidget(box);
        lengths_[i] = box;
    }
    return lengthRow;
}

// Auto beside the number of new words a day.
QHBoxLayout* StudySettingsDialog::makePerDayRow(const StudyPreferences& prefs)
{
    fixed_ = prefs.newPerDay;
    cap_ = prefs.newPerDayCap;
    auto_ = new QCheckBox(QStringLiteral("&Auto"), this);
    auto_->setAccessibleName(QStringLiteral("Auto new words a day"));
    auto_->setToolTip(QStringLiteral(
        "Auto: new words follow how many questions you answer a day (the fixed number at 150 "
        "answers a day; more or fewer with your answers, half as many at a third of them), at "
        "most the number shown. Until there is "
        "a recent day of answers to go by, the fixed number is used."));
    auto_->setChecked(prefs.newPerDayAuto);
    showPaceMode(prefs.newPerDayAuto);
    connect(auto_, &QCheckBox::toggled, this, [this](bool automatic) {
        (automatic ? fixed_ : cap_) = newPerDay_->value();
        showPaceMode(automatic);
    });
    auto* perDayRow = new QHBoxLayout;
    perDayRow->addWidget(newPerDay_);
    perDayRow->addWidget(auto_);
    setTabOrder(newPerDay_, auto_);
    setTabOrder(auto_, lengths_[0]);
    return perDayRow;
}

// The number box shows the cap under Auto, else the fixed number.
void StudySettingsDialog::showPaceMode(bool automatic)
{
    newPerDay_->setValue(automatic ? cap_ : fixed_);
    newPerDay_->setPrefix(automatic ? QStringLiteral("at most ") : QString());
    newPerDay_->setAccessibleName(automatic ? QStringLiteral("Most new words a day")
                                            : QStringLiteral("New words a day"));
}

StudyPreferences StudySettingsDialog::preferences() const
{
    StudyPreferences prefs;
    prefs.order = StudyOrder(order_->currentIndex());
    prefs.newPerDayAuto = auto_->isChecked();
    prefs.newPerDay = prefs.newPerDayAuto ? fixed_ : newPerDay_->value();
    prefs.newPerDayCap = prefs.newPerDayAuto ? newPerDay_->value() : cap_;
    prefs.lengths.clear();
    for (std::size_t i = 0; i < lengths_.size(); ++i) {
        if (lengths_[i]->isChecked())
            prefs.lengths.append(StudyPreferences::AllLengths[qsizetype(i)]);
    }
    return prefs;
}

bool StudySettingsDialog::edit(QWidget* parent)
{
    StudySettingsDialog dialog(StudyPreferences::load(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.preferences().storeShown();
    return true;
}
