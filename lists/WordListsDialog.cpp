#include "lists/WordListsDialog.h"

#include "base/Branding.h"
#include "base/ErrorReporting.h"
#include "base/look/DesignUnits.h"
#include "base/look/ProgramIcon.h"
#include "study/ProgressData.h"
#include "words/ListFileJob.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

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
    lists_->setMinimumHeight(Twips::toPixels(3600)); // a dozen lists without scrolling
    auto* import = new QPushButton(QStringLiteral("&Import..."), this);
    use_ = new QPushButton(QStringLiteral("&Use"), this);
    remove_ = new QPushButton(QStringLiteral("&Remove..."), this);
    rename_ = new QPushButton(QStringLiteral("Re&name..."), this);
    replace_ = new QPushButton(QStringLiteral("Re&place..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {import, use_, rename_, replace_, remove_})
        side->addWidget(b);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(lists_, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);

    // While a list file is read, before its progress window shows, the window takes no other
    // action.
    const auto whenIdle = [this](void (WordListsDialog::*action)()) {
        return [this, action] {
            if (!reading_)
                (this->*action)();
        };
    };
    connect(import, &QPushButton::clicked, this, whenIdle(&WordListsDialog::importList));
    connect(use_, &QPushButton::clicked, this, whenIdle(&WordListsDialog::useSelected));
    connect(remove_, &QPushButton::clicked, this, whenIdle(&WordListsDialog::removeSelected));
    connect(rename_, &QPushButton::clicked, this, whenIdle(&WordListsDialog::renameSelected));
    connect(replace_, &QPushButton::clicked, this, whenIdle(&WordListsDialog::replaceSelected));
    connect(lists_, &QListWidget::itemActivated, this, whenIdle(&WordListsDialog::useSelected));
    connect(lists_, &QListWidget::currentRowChanged, this, [this] { enableForSelection(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refill(choice_.active());
    lists_->setFocus();
}

WordListsDialog::~WordListsDialog() = default;

QString WordListsDialog::entryText(const WordListChoice::Entry& entry, bool inUse)
{
    const QString name = entry.name.isEmpty() ? WordListChoice::BundledName : entry.name;
    QString counts = entry.damaged ? QStringLiteral("damaged") : QStringLiteral("counting...");
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
    counter_.reset();
    lists_->clear();
    QList<WordListCounter::List> uncounted;
    for (const WordListChoice::Entry& listed : choice_.entries()) {
        const WordListChoice::Entry entry = counted_.value(listed.name, listed);
        auto* item = new QListWidgetItem(entryText(entry, entry.name == choice_.active()), lists_);
        item->setData(Qt::UserRole, entry.name);
        if (entry.name == select)
            lists_->setCurrentItem(item);
        if (!counted_.contains(entry.name))
            uncounted.append({entry.name, choice_.pathOf(entry.name)});
    }
    enableForSelection();
    if (uncounted.isEmpty())
        return;
    counter_ = std::make_unique<WordListCounter>(uncounted);
    connect(counter_.get(), &WordListCounter::counted, this, &WordListsDialog::showCounts);
    counter_->start();
}

void WordListsDialog::showCounts(const QString& name, const QList<qint64>& counts,
                                 const QString& error)
{
    const WordListChoice::Entry entry{name, counts, !error.isEmpty()};
    counted_.insert(name, entry);
    for (int row = 0; row < lists_->count(); ++row)
        if (QListWidgetItem* item = lists_->item(row); item->data(Qt::UserRole).toString() == name)
            item->setText(entryText(entry, name == choice_.active()));
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

// The window's thread goes on painting and answering Cancel meanwhile.
WordListImport::Outcome WordListsDialog::withProgress(const WordListImport::Work& work)
{
    QProgressDialog progress(QStringLiteral("Reading the word list..."), QStringLiteral("Cancel"),
                             0, ListFileJob::Steps, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const QScopedValueRollback reading(reading_, true);
    ListFileJob job(work);
    QEventLoop waiting;
    connect(&job, &ListFileJob::progressed, &progress, &QProgressDialog::setValue);
    connect(&progress, &QProgressDialog::canceled, &job, &ListFileJob::cancel);
    connect(&job, &ListFileJob::finished, &waiting, &QEventLoop::quit);
    job.start();
    waiting.exec(); // also left when the program quits: outcome() then stops the work
    progress.reset();
    return job.outcome();
}

void WordListsDialog::importList()
{
    const QString file = prompts_.openPath(this);
    if (file.isEmpty())
        return;
    QString name;
    const WordListImport::Outcome outcome = choice_.import(
        file, &name, [this](const WordListImport::Work& work) { return withProgress(work); });
    if (outcome.cancelled)
        return;
    counted_.remove(name);
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
    if (counted_.value(name).damaged) {
        tell(QStringLiteral("This word list can't be used: it is damaged."), MessageIcon::Warning);
        return;
    }
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
        !messages_.ask(QStringLiteral("Remove the word list \"%1\"? Its progress stays in a file "
                                      "of its own; a list imported again starts afresh.")
                           .arg(name),
                       Branding::ProductName))
        return;
    counted_.remove(name);
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

void WordListsDialog::enableForSelection()
{
    const bool imported = !selectedName().isEmpty(); // the bundled list stays as it is
    remove_->setEnabled(imported);
    rename_->setEnabled(imported);
    replace_->setEnabled(imported);
}

void WordListsDialog::renameSelected()
{
    const QString name = selectedName();
    if (name.isEmpty() || !prompts_.newName)
        return;
    const QString to = prompts_.newName(this, name).trimmed();
    if (to.isEmpty() || to == name)
        return;
    try {
        choice_.rename(name, to);
        counted_.remove(name); // counted again under its new name
    } catch (const AppError& e) {
        tell(QStringLiteral("The word list \"%1\" can't be renamed: %2").arg(name, e.description()),
             MessageIcon::Warning);
        return;
    }
    refill(to);
}

QString WordListsDialog::replacedText(const QString& name, qint64 came, qint64 went)
{
    return QStringLiteral("The word list \"%1\" is replaced: %2 %3 came in and %4 went. Its "
                          "progress is kept.")
        .arg(name, ProgressData::number(came),
             came == 1 ? QStringLiteral("word") : QStringLiteral("words"),
             ProgressData::number(went));
}

void WordListsDialog::replaceSelected()
{
    const QString name = selectedName();
    if (name.isEmpty() || !prompts_.replacePath)
        return;
    const QString file = prompts_.replacePath(this, name);
    if (file.isEmpty())
        return;
    WordListImport::Outcome outcome;
    try {
        outcome = choice_.replace(
            name, file, [this](const WordListImport::Work& work) { return withProgress(work); });
    } catch (const AppError& e) { // replaced, but the store can't open the new words
        counted_.remove(name);
        refill(choice_.active());
        tell(QStringLiteral("The word list \"%1\" is replaced but can't be used: %2. The "
                            "bundled list is in use.")
                 .arg(name, e.description()),
             MessageIcon::Warning);
        return;
    }
    if (outcome.cancelled)
        return;
    const QString report = QString(outcome.report).replace(QLatin1Char('\n'), QLatin1Char('\r'));
    if (!outcome.written) {
        tell(QStringLiteral("The word list \"%1\" was not replaced: %2. It is as it was.\r\r%3")
                 .arg(name, outcome.error, report)
                 .trimmed(),
             MessageIcon::Warning);
        return;
    }
    counted_.remove(name); // counted again: its words changed
    refill(name);
    tell(replacedText(name, outcome.came, outcome.went) + QStringLiteral("\r\r") + report,
         MessageIcon::None);
}
