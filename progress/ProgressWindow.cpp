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

    Figure(const QString& title, const QString& name, QWidget* parent, QGridLayout* grid, int cell)
    {
        auto* chart = new QChart;
        chart->setTitle(title);
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setMargins(QMargins(2, 2, 2, 2));
        view = new QChartView(chart, parent);
        view->setObjectName(name + QStringLiteral("Chart"));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(380, 170);
        view->setAccessibleName(title);
        text = new QLabel(parent);
        text->setObjectName(name + QStringLiteral("Figures"));
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setBuddy(view); // the line under a chart labels it for screen readers
        auto* box = new QVBoxLayout;
        box->addWidget(view, 1);
        box->addWidget(text);
        grid->addLayout(box, cell / 2, cell % 2);
    }

    void describe(const QString& words)
    {
        text->setText(words);
        view->setAccessibleDescription(words);
    }
};

class ProgressWindow : public QDialog, public ProgressView
{
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

        auto* charts = new QGridLayout;
        shares_.emplace(QStringLiteral("Words by length"), QStringLiteral("Shares"), this, charts,
                        0);
        known_.emplace(QStringLiteral("Known words"), QStringLiteral("Known"), this, charts, 1);
        due_.emplace(QStringLiteral("Due in the next 14 days"), QStringLiteral("Due"), this, charts,
                     2);
        days_.emplace(QStringLiteral("Last 30 days"), QStringLiteral("Days"), this, charts, 3);

        auto* missedFrame = new QGroupBox(QStringLiteral("Most missed words"), this);
        missed_ = new QListWidget(missedFrame);
        missed_->setObjectName(QStringLiteral("MissedList"));
        missed_->setAccessibleName(missedFrame->title());
        save_ = new QPushButton(QStringLiteral("&Save as word list..."), missedFrame);
        save_->setObjectName(QStringLiteral("SaveButton"));
        auto* missedLayout = new QHBoxLayout(missedFrame);
        missedLayout->addWidget(missed_, 1);
        auto* missedButtons = new QVBoxLayout;
        missedButtons->addWidget(save_);
        missedButtons->addStretch();
        missedLayout->addLayout(missedButtons);

        summary_ = new QLabel(this);
        summary_->setObjectName(QStringLiteral("Summary"));
        summary_->setTextFormat(Qt::PlainText);

        auto* buttons = new QDialogButtonBox(this);
        auto* forget = buttons->addButton(QStringLiteral("&Forget all progress..."),
                                          QDialogButtonBox::ResetRole);
        forget->setObjectName(QStringLiteral("ForgetButton"));
        auto* close = buttons->addButton(QDialogButtonBox::Close);
        close->setObjectName(QStringLiteral("CloseButton"));
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        connect(forget, &QPushButton::clicked, this, [this] {
            if (actions_->forgetAll(this))
                setData(actions_->data());
        });
        connect(save_, &QPushButton::clicked, this, [this] {
            QStringList words;
            for (const ProgressData::Missed& m : data_.missed)
                words.append(m.word);
            actions_->saveWordList(this, words);
        });

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(charts, 4);
        layout->addWidget(summary_);
        layout->addWidget(missedFrame, 1);
        layout->addWidget(buttons);
        fitScreen(parent);
        close->setFocus();
    }

    QDialog* dialog() override { return this; }

    // 900 x 860 where there is room; on a smaller screen (1366 x 768 less its panels, say) the
    // charts give up height so that the buttons at the bottom stay on screen.
    void fitScreen(QWidget* parent)
    {
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 900, 860);
        constexpr int frame = 40; // the title bar and borders the window manager adds
        resize(std::min(900, room.width()), std::min(860, room.height() - frame));
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
        missed_->clear();
        for (const ProgressData::Missed& m : data.missed) {
            missed_->addItem(
                QStringLiteral("%1   missed %2 %3%4%5")
                    .arg(m.word)
                    .arg(m.misses)
                    .arg(m.misses == 1 ? QStringLiteral("time") : QStringLiteral("times"))
                    .arg(m.valid ? QString() : QStringLiteral(" (not a word)"))
                    .arg(m.meaning.isEmpty() ? QString() : QStringLiteral(": ") + m.meaning));
        }
        if (data.missed.isEmpty())
            missed_->addItem(QStringLiteral("No word missed yet"));
        save_->setEnabled(!data.missed.isEmpty());
        missed_->scrollToTop();

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
                .arg(known)
                .arg(learning)
                .arg(newWords)
                .arg(answers)
                .arg(answers ? QStringLiteral("%1%").arg(qRound(100.0 * right / answers))
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
    QPushButton* save_;
    QLabel* summary_;
};

} // namespace

extern "C" Q_DECL_EXPORT ProgressView* lexitorCreateProgressView(ProgressActions* actions,
                                                                 QWidget* parent)
{
    return new ProgressWindow(actions, parent);
}
