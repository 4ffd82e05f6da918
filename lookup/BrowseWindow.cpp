#include "lookup/BrowseWindow.h"

#include "base/Services.h"
#include "base/look/DesignUnits.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "lookup/BrowseModel.h"
#include "words/WordIndexLoader.h"
#include "words/WordStore.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* chooser(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    return box;
}

QLabel* promptFor(QWidget* buddy, const QString& text)
{
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

BrowseWindow::BrowseWindow(LookupWindow::Sources sources, const WallClock& clock, int length,
                           QWidget* parent)
    : QDialog(parent), sources_(std::move(sources)), clock_(clock)
{
    setObjectName(QStringLiteral("Browse"));
    setWindowTitle(QStringLiteral("Browse"));
    setWindowIcon(ProgramIcon());
    setFont(Fonts::window());

    QHBoxLayout* row = makeControls();
    model_ = new BrowseModel(sources_.store, this);
    // Meanings from the index once it is read, not from the store row by row.
    if (sources_.index)
        model_->setIndex(sources_.index);
    else if (sources_.loader)
        connect(sources_.loader, &WordIndexLoader::loaded, this,
                [this] { model_->setIndex(sources_.loader->index()); });
    table_ = makeTable();

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("BrowseCount"));
    count_->setTextFormat(Qt::PlainText);
    study_ = new PushButton(QStringLiteral("S&tudy these"), this);
    study_->setObjectName(QStringLiteral("StudyTheseButton"));
    study_->setAccessibleName(QStringLiteral("Study these"));
    study_->setVisible(bool(sources_.studyThese));
    auto* close = new PushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(count_, 1);
    buttons->addWidget(study_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    setMinimumWidth(Twips::toPixels(10800));

    const int at = lengths_->findData(length);
    lengths_->setCurrentIndex(at >= 0 ? at : 0);
    showLength(lengths_->currentData().toInt());
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(study_, &QPushButton::clicked, this, &BrowseWindow::studyThese);
    connect(lengths_, &QComboBox::currentIndexChanged, this,
            [this] { showLength(lengths_->currentData().toInt()); });
    connect(filter_, &QComboBox::currentIndexChanged, this, &BrowseWindow::refilter);
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->setSearch(text);
        showCount();
    });
    search_->setFocus();
}

BrowseWindow::~BrowseWindow() = default;

QHBoxLayout* BrowseWindow::makeControls()
{
    lengths_ = chooser(this, "BrowseLength", QStringLiteral("Word length"));
    for (int n = 2; n <= 4; ++n) {
        if (!sources_.index || sources_.index->count(n) > 0) // all, while the list is read
            lengths_->addItem(QStringLiteral("%1 letters").arg(n), n);
    }
    filter_ = chooser(this, "BrowseFilter", QStringLiteral("Words shown"));
    filter_->addItem(QStringLiteral("All"), int(BrowseModel::Filter::All));
    filter_->addItem(QStringLiteral("New"), int(BrowseModel::Filter::New));
    filter_->addItem(QStringLiteral("Learning"), int(BrowseModel::Filter::Learning));
    filter_->addItem(QStringLiteral("Known"), int(BrowseModel::Filter::Known));
    filter_->addItem(QStringLiteral("Missed last time"), int(BrowseModel::Filter::MissedLast));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("BrowseSearch"));
    search_->setAccessibleName(QStringLiteral("Search"));
    search_->setAccessibleDescription(
        QStringLiteral("Letters the word holds, or a whole word with ? for any letter"));
    search_->setPlaceholderText(QStringLiteral("AX, or A?E"));
    search_->setMaxLength(16);
    auto* row = new QHBoxLayout;
    row->addWidget(promptFor(lengths_, QStringLiteral("&Length:")));
    row->addWidget(lengths_);
    row->addWidget(promptFor(filter_, QStringLiteral("&Show:")));
    row->addWidget(filter_);
    row->addWidget(promptFor(search_, QStringLiteral("S&earch:")));
    row->addWidget(search_, 1);
    return row;
}

QTableView* BrowseWindow::makeTable()
{
    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("BrowseTable"));
    table->setAccessibleName(QStringLiteral("Words"));
    table->setModel(model_);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    // Rows of one height, columns of set widths: nothing is measured row by row.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() +
                                                   Twips::toPixels(90));
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setSectionResizeMode(BrowseModel::MeaningColumn,
                                                    QHeaderView::Stretch);
    table->setColumnWidth(BrowseModel::WordColumn, Twips::toPixels(900));
    table->setColumnWidth(BrowseModel::StateColumn, Twips::toPixels(1100));
    table->setColumnWidth(BrowseModel::ReviewColumn, Twips::toPixels(2400));
    table->setMinimumHeight(Twips::toPixels(4000));
    return table;
}

void BrowseWindow::showLength(int length)
{
    QStringList words;
    QString problem;
    try {
        if (length > 0 && sources_.store)
            words = sources_.store->words(length);
    } catch (const std::exception& e) {
        problem = QStringLiteral("The words could not be read: ") + QString::fromUtf8(e.what());
    }
    model_->load(words, sources_.states, clock_.nowUtc());
    showCount();
    if (!problem.isEmpty()) {
        count_->setText(problem);
        count_->setAccessibleName(problem);
    }
}

void BrowseWindow::refilter()
{
    model_->setFilter(BrowseModel::Filter(filter_->currentData().toInt()));
    showCount();
}

void BrowseWindow::showCount()
{
    const QString text = countText(model_->rowCount(), model_->total());
    count_->setText(text);
    count_->setAccessibleName(text);
    study_->setEnabled(model_->rowCount() > 0);
}

void BrowseWindow::studyThese()
{
    sources_.studyThese(this, shownWords());
    // The answers moved the words' states: the rows read them again, under the same filter.
    showLength(length());
    refilter();
    model_->setSearch(search_->text());
    showCount();
}

QStringList BrowseWindow::shownWords() const
{
    return model_->shownWords();
}

int BrowseWindow::length() const
{
    return lengths_->currentData().toInt();
}

QString BrowseWindow::countText(int shown, int total)
{
    const QLocale locale;
    if (shown == total)
        return total == 1 ? QStringLiteral("1 word")
                          : QStringLiteral("%1 words").arg(locale.toString(total));
    return QStringLiteral("%1 of %2 words").arg(locale.toString(shown), locale.toString(total));
}
