// The progress window, built as the lexitor-progress module over Qt Charts.
#include "progress/ProgressView.h"

#include "progress/ProgressCharts.h"

#include <QAccessibleWidget>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

// Qt reports a chart view as a scrolled client area; screen readers say "chart" only when it
// reports itself as one.
QAccessibleInterface* accessibleChart(const QString&, QObject* object)
{
    if (auto* view = qobject_cast<QChartView*>(object))
        return new QAccessibleWidget(view, QAccessible::Chart);
    return nullptr;
}

// A chart and, under it, its figures in words, which are also the chart's accessible description.
struct Figure
{
    QChartView* view = nullptr;
    QLabel* text = nullptr;

    Figure(const QString& title, const QString& name, QWidget* parent, QGridLayout* grid, int cell,
           int columns)
    {
        auto* chart = new QChart;
        chart->setTitle(title);
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setMargins(QMargins(2, 2, 2, 2));
        view = new QChartView(chart, parent);
        view->setObjectName(name + QStringLiteral("Chart"));
        view->setRenderHint(QPainter::Antialiasing);
        // Stacked, the charts scroll anyway: each keeps the height its axis labels need.
        view->setMinimumSize(380, columns == 1 ? 280 : 170);
        view->setAccessibleName(title);
        text = new QLabel(parent);
        text->setObjectName(name + QStringLiteral("Figures"));
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setBuddy(view); // the line under a chart labels it for screen readers
        auto* box = new QVBoxLayout;
        box->addWidget(view, 1);
        box->addWidget(text);
        grid->addLayout(box, cell / columns, cell % columns);
    }

    void describe(const QString& words)
    {
        text->setText(words);
        view->setAccessibleDescription(words);
    }
};

class ProgressWindow : public QDialog, public ProgressView
{
    static constexpr int TwoColumnsWidth = 820; // room for two charts side by side
    static constexpr int FrameWidth = 16;       // the borders the window manager adds
    static constexpr int FrameHeight = 40;      // its title bar and borders

public:
    ProgressWindow(ProgressActions* actions, QWidget* parent) : QDialog(parent), actions_(actions)
    {
        static const bool factoryInstalled = [] {
            QAccessible::installFactory(accessibleChart);
            return true;
        }();
        Q_UNUSED(factoryInstalled);
        setObjectName(QStringLiteral("Progress"));
        setWindowTitle(QStringLiteral("Progress"));
        if (parent)
            setWindowIcon(parent->windowIcon());
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);

        // The figures scroll where the screen is too small for them (a small screen, or a large
        // scale factor); the buttons stay in view under them.
        const QRect room = roomOn(parent);
        auto* scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("FiguresArea"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* figures = new QWidget(scroll);
        auto* content = new QVBoxLayout(figures);
        content->setContentsMargins(0, 0, 0, 0);
        content->addLayout(addCharts(figures, room.width() >= TwoColumnsWidth ? 2 : 1), 4);
        summary_ = new QLabel(figures);
        summary_->setObjectName(QStringLiteral("Summary"));
        summary_->setTextFormat(Qt::PlainText);
        summary_->setWordWrap(true);
        content->addWidget(summary_);
        content->addWidget(addMissed(figures), 1);
        scroll->setWidget(figures);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(scroll, 1);
        layout->addWidget(addButtons());
        fitScreen(room);
    }

    QDialog* dialog() override { return this; }

    // The charts two by two, or one under another where the screen is narrow.
    QGridLayout* addCharts(QWidget* figures, int columns)
    {
        auto* charts = new QGridLayout;
        shares_.emplace(QStringLiteral("Words by length"), QStringLiteral("Shares"), figures,
                        charts, 0, columns);
        known_.emplace(QStringLiteral("Known words"), QStringLiteral("Known"), figures, charts, 1,
                       columns);
        due_.emplace(QStringLiteral("Due in the next 14 days"), QStringLiteral("Due"), figures,
                     charts, 2, columns);
        days_.emplace(QStringLiteral("Last 30 days"), QStringLiteral("Days"), figures, charts, 3,
                      columns);
        return charts;
    }

    QGroupBox* addMissed(QWidget* figures)
    {
        // The words first, with their meanings; the non-words taken for words in a list of
        // their own, so that they never bury the words.
        auto* missedFrame = new QGroupBox(QStringLiteral("Most missed"), figures);
        missed_ = missedList(missedFrame, "MissedList", QStringLiteral("Most missed words"));
        nonWords_ =
            missedList(missedFrame, "NonWordsList", QStringLiteral("Non-words you took for words"));
        save_ = new QPushButton(QStringLiteral("&Save as word list..."), missedFrame);
        save_->setObjectName(QStringLiteral("SaveButton"));
        auto* missedLayout = new QHBoxLayout(missedFrame);
        missedLayout->addWidget(missed_, 3);
        missedLayout->addWidget(nonWords_, 2);
        auto* missedButtons = new QVBoxLayout;
        missedButtons->addWidget(save_);
        missedButtons->addStretch();
        missedLayout->addLayout(missedButtons);
        connect(save_, &QPushButton::clicked, this, [this] {
            QStringList words;
            for (const ProgressData::Missed& m : data_.missed)
                words.append(m.word);
            actions_->saveWordList(this, words);
        });
        return missedFrame;
    }

    // A list of words whose long lines wrap: a meaning shows whole, never behind a scroll bar.
    static QListWidget* missedList(QWidget* frame, const char* name, const QString& title)
    {
        auto* list = new QListWidget(frame);
        list->setObjectName(QLatin1String(name));
        list->setAccessibleName(title);
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        list->setResizeMode(QListView::Adjust);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setMinimumHeight(120);
        return list;
    }

    // Fills a list of missed words, or says there are none.
    static void fillMissed(QListWidget* list, const QList<const ProgressData::Missed*>& missed,
                           const QString& none)
    {
        list->clear();
        for (const ProgressData::Missed* m : missed) {
            const QString times = QStringLiteral("%1 %2").arg(
                ProgressData::number(m->misses),
                m->misses == 1 ? QStringLiteral("time") : QStringLiteral("times"));
            list->addItem(
                m->valid
                    ? QStringLiteral("%1   missed %2%3")
                          .arg(m->word, times,
                               m->meaning.isEmpty() ? QString() : QStringLiteral(": ") + m->meaning)
                    : QStringLiteral("%1   taken for a word %2").arg(m->word, times));
        }
        if (missed.isEmpty())
            list->addItem(none);
        list->scrollToTop();
    }

    QDialogButtonBox* addButtons()
    {
        auto* buttons = new QDialogButtonBox(this);
        auto* forget = buttons->addButton(QStringLiteral("&Forget all progress..."),
                                          QDialogButtonBox::ResetRole);
        forget->setObjectName(QStringLiteral("ForgetButton"));
        auto* close = buttons->addButton(QDialogButtonBox::Close);
        close->setObjectName(QStringLiteral("CloseButton"));
        auto* browse =
            buttons->addButton(QStringLiteral("&Browse words..."), QDialogButtonBox::ActionRole);
        browse->setObjectName(QStringLiteral("BrowseButton"));
        connect(browse, &QPushButton::clicked, this, [this] { actions_->browse(this); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        connect(forget, &QPushButton::clicked, this, [this] {
            if (actions_->forgetAll(this))
                setData(actions_->data());
        });
        close->setFocus();
        return buttons;
    }

    // 900 x 860 where there is room; on a smaller screen (1366 x 768 less its panels, or
    // 1280 x 1024 at twice the scale) the window takes what there is and the figures scroll, so
    // that the whole window and its buttons stay on screen.
    void fitScreen(const QRect& room)
    {
        const QSize most = room.size() - QSize(FrameWidth, FrameHeight);
        setMaximumSize(most);
        resize(std::min(900, most.width()), std::min(860, most.height()));
    }

    // The screen's room for windows, less what the desktop's panels take.
    static QRect roomOn(QWidget* parent)
    {
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect(0, 0, 900, 860);
    }

    // Kept in the room when shown: centring over a main window near an edge may push a window
    // this large partly off the screen.
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        const QRect frame = frameGeometry();
        const QRect room = roomOn(parentWidget());
        QPoint at = frame.topLeft();
        at.setX(
            std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - frame.width())));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - frame.height())));
        if (at != frame.topLeft())
            move(at);
    }

    void setData(const ProgressData& data) override
    {
        data_ = data;
        ProgressCharts::fillShares(shares_->view->chart(), data.lengths);
        ProgressCharts::fillKnown(known_->view->chart(), data);
        ProgressCharts::fillDue(due_->view->chart(), data);
        ProgressCharts::fillDays(days_->view->chart(), data);
        shares_->describe(data.texts.lengths);
        known_->describe(data.texts.known);
        due_->describe(data.texts.due);
        days_->describe(data.texts.days);
        QList<const ProgressData::Missed*> words, nonWords;
        for (const ProgressData::Missed& m : data.missed)
            (m.valid ? words : nonWords).append(&m);
        fillMissed(missed_, words, QStringLiteral("No word missed yet"));
        fillMissed(nonWords_, nonWords, QStringLiteral("No non-word taken for a word yet"));
        save_->setEnabled(!data.missed.isEmpty());

        int newWords = 0, learning = 0, known = 0, answers = 0, right = 0;
        for (const ProgressData::Length& l : data.lengths) {
            newWords += l.newWords;
            learning += l.learning;
            known += l.known;
        }
        for (const ProgressData::Day& d : data.days) {
            answers += d.answers;
            right += d.right;
        }
        summary_->setText(
            QStringLiteral("Known %1, learning %2, new %3.   Last 30 days: %4 answers, %5 right.")
                .arg(ProgressData::number(known), ProgressData::number(learning),
                     ProgressData::number(newWords), ProgressData::number(answers))
                .arg(answers ? QStringLiteral("%1 %").arg(qRound(100.0 * right / answers))
                             : QStringLiteral("none")));
        summary_->setAccessibleName(summary_->text());
    }

private:
    ProgressActions* actions_;
    ProgressData data_;
    std::optional<Figure> shares_;
    std::optional<Figure> known_;
    std::optional<Figure> due_;
    std::optional<Figure> days_;
    QListWidget* missed_;
    QListWidget* nonWords_;
    QPushButton* save_;
    QLabel* summary_;
};

} // namespace

extern "C" Q_DECL_EXPORT ProgressView* lexitorCreateProgressView(ProgressActions* actions,
                                                                 QWidget* parent)
{
    return new ProgressWindow(actions, parent);
}
