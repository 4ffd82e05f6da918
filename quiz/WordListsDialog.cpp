#include "WordListsDialog.h"

#include "Branding.h"
#include "DesignUnits.h"
#include "ErrorReporting.h"
#include "ProgramIcon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ProgressSteps = 1000;

} // namespace

WordListsDialog::WordListsDialog(WordListChoice& choice, MessageBoxes& messages, Prompts prompts,
                                 QWidget* parent)
    : QDialog(parent), choice_(choice), messages_(messages), prompts_(std::move(prompts))
{
    setObjectName(QStringLiteral("WordLists"));
    setWindowTitle(QStringLiteral("Word Lists"));
    setWindowIcon(ProgramIcon());
    setFont(Fonts::window());

    lists_ = new QListWidget(this);
    lists_->setObjectName(QStringLiteral("ListOfWordLists"));
    lists_->setAccessibleName(QStringLiteral("Word lists"));
    lists_->setMinimumWidth(Twips::toPixels(7200));
    auto* import = new QPushButton(QStringLiteral("&Import..."), this);
    use_ = new QPushButton(QStringLiteral("&Use"), this);
    remove_ = new QPushButton(QStringLiteral("&Remove..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {import, use_, remove_})
        side->addWidget(b);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(lists_, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);

    connect(import, &QPushButton::clicked, this, &WordListsDialog::importList);
    connect(use_, &QPushButton::clicked, this, &WordListsDialog::useSelected);
    connect(remove_, &QPushButton::clicked, this, &WordListsDialog::removeSelected);
    connect(lists_, &QListWidget::itemActivated, this, &WordListsDialog::useSelected);
    connect(lists_, &QListWidget::currentRowChanged, this,
            [this] { remove_->setEnabled(!selectedName().isEmpty()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refill(choice_.active());
    lists_->setFocus();
}

QString WordListsDialog::entryText(const WordListChoice::Entry& entry, bool inUse)
{
    const QString name = entry.name.isEmpty() ? QStringLiteral("Bundled list") : entry.name;
    QString counts = QStringLiteral("can't be read");
    if (entry.counts.size() == 3) {
        const QLocale locale;
        counts = QStringLiteral("%1 / %2 / %3 words of 2 / 3 / 4 letters")
                     .arg(locale.toString(entry.counts[0]), locale.toString(entry.counts[1]),
                          locale.toString(entry.counts[2]));
    }
    return name + QStringLiteral(": ") + counts + (inUse ? QStringLiteral(" (in use)") : QString());
}

void WordListsDialog::refill(const QString& select)
{
    lists_->clear();
    for (const WordListChoice::Entry& entry : choice_.entries()) {
        auto* item = new QListWidgetItem(entryText(entry, entry.name == choice_.active()), lists_);
        item->setData(Qt::UserRole, entry.name);
        if (entry.name == select)
            lists_->setCurrentItem(item);
    }
    remove_->setEnabled(!selectedName().isEmpty());
}

QString WordListsDialog::selectedName() const
{
    const QListWidgetItem* item = lists_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void WordListsDialog::tell(const QString& text, MessageIcon icon)
{
    messages_.show(text, Branding::ProductName, icon);
}

void WordListsDialog::importList()
{
    const QString file = prompts_.openPath(this);
    if (file.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("Reading the word list..."), QStringLiteral("Cancel"),
                             0, ProgressSteps, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    QString name;
    const WordListImport::Outcome outcome =
        choice_.import(file, &name, [&progress](qint64 done, qint64 all) {
            progress.setValue(all > 0 ? int(done * ProgressSteps / all) : 0);
            return !progress.wasCanceled();
        });
    progress.reset();
    if (outcome.cancelled)
        return;
    const QString report = QString(outcome.report).replace(QLatin1Char('\n'), QLatin1Char('\r'));
    if (!outcome.written) {
        tell(QStringLiteral("The word list was not imported: %1.\r\r%2").arg(outcome.error, report),
             MessageIcon::Warning);
        return;
    }
    refill(name);
    tell(QStringLiteral("The word list \"%1\" is imported.\r\r%2\rSelect it and click Use to "
                        "drill it.")
             .arg(name, report),
         MessageIcon::None);
}

void WordListsDialog::useSelected()
{
    const QString name = selectedName();
    if (!lists_->currentItem() || name == choice_.active())
        return;
    try {
        choice_.use(name);
    } catch (const AppError& e) {
        tell(QStringLiteral("This word list can't be used: %1").arg(e.description()),
             MessageIcon::Warning);
    }
    refill(name);
}

void WordListsDialog::removeSelected()
{
    const QString name = selectedName();
    if (name.isEmpty() ||
        !prompts_.confirm(this, QStringLiteral("Remove the word list \"%1\"? Your progress on it "
                                               "is kept, for the day you import it again.")
                                    .arg(name)))
        return;
    try {
        if (!choice_.remove(name))
            tell(QStringLiteral("The word list \"%1\" could not be removed.").arg(name),
                 MessageIcon::Warning);
    } catch (const AppError& e) {
        tell(QStringLiteral("The bundled word list can't be used: %1").arg(e.description()),
             MessageIcon::Warning);
    }
    refill(choice_.active());
}
