// The progress window, built as the lexitor-progress module over Qt Charts.
#include "ProgressView.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

const QColor NewColour(170, 170, 170);
const QColor LearningColour(230, 160, 30);
const QColor KnownColour(0, 128, 0);

QChartView* chartView(const QString& title, QWidget* parent)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 280);
    view->setAccessibleName(title);
    return view;
}

class ProgressWindow : public QDialog, public ProgressView
{
public:
    ProgressWindow(ProgressActions* actions, QWidget* parent) : QDialog(parent), actions_(actions)
    {
        setObjectName(QStringLiteral("Progress"));
        setWindowTitle(QStringLiteral("Progress"));
        if (parent)
            setWindowIcon(parent->windowIcon());
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);

        byLength_ = chartView(QStringLiteral("Words by length"), this);
        byDay_ = chartView(QStringLiteral("Last 30 days"), this);
        auto* charts = new QHBoxLayout;
        charts->addWidget(byLength_);
        charts->addWidget(byDay_);

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
        layout->addLayout(charts, 3);
        layout->addWidget(summary_);
        layout->addWidget(missedFrame, 2);
        layout->addWidget(buttons);
        resize(820, 620);
        close->setFocus();
    }

    QDialog* dialog() override { return this; }

    void setData(const ProgressData& data) override
    {
        data_ = data;
        fillLengths();
        fillDays();
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
    // Takes the chart's series and axes away, ready to be filled afresh.
    static QChart* emptied(QChart* chart)
    {
        chart->removeAllSeries();
        for (QAbstractAxis* axis : chart->axes()) {
            chart->removeAxis(axis); // hands the axis back to us
            delete axis;
        }
        return chart;
    }

    void fillLengths()
    {
        QChart* chart = emptied(byLength_->chart());
        auto* series = new QStackedBarSeries;
        auto* newSet = new QBarSet(QStringLiteral("New"));
        auto* learningSet = new QBarSet(QStringLiteral("Learning"));
        auto* knownSet = new QBarSet(QStringLiteral("Known"));
        newSet->setColor(NewColour);
        learningSet->setColor(LearningColour);
        knownSet->setColor(KnownColour);
        QStringList categories;
        int top = 0;
        for (const ProgressData::Length& l : data_.lengths) {
            categories.append(QStringLiteral("%1 letters").arg(l.length));
            *knownSet << l.known;
            *learningSet << l.learning;
            *newSet << l.newWords;
            top = std::max(top, l.known + l.learning + l.newWords);
        }
        series->append(knownSet);
        series->append(learningSet);
        series->append(newSet);
        chart->addSeries(series);
        auto* x = new QBarCategoryAxis;
        x->append(categories);
        auto* y = new QValueAxis;
        y->setRange(0, std::max(top, 1));
        y->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
    }

    void fillDays()
    {
        QChart* chart = emptied(byDay_->chart());
        auto* bars = new QBarSeries;
        auto* answers = new QBarSet(QStringLiteral("Answers"));
        answers->setColor(QColor(70, 110, 190));
        auto* share = new QLineSeries;
        share->setName(QStringLiteral("Right %"));
        share->setColor(KnownColour);
        QStringList categories;
        int top = 0;
        for (qsizetype i = 0; i < data_.days.size(); ++i) {
            const ProgressData::Day& d = data_.days[i];
            // Thirty labels do not fit under the bars: the title names the first and last day
            // instead, and each category is a distinct blank (the axis keeps only distinct ones).
            categories.append(QString(int(i) + 1, QLatin1Char(' ')));
            *answers << d.answers;
            top = std::max(top, d.answers);
            if (d.answers > 0)
                share->append(qreal(i), 100.0 * d.right / d.answers);
        }
        bars->append(answers);
        bars->setBarWidth(0.8);
        chart->addSeries(bars);
        chart->addSeries(share);
        auto* x = new QBarCategoryAxis;
        x->append(categories);
        x->setLabelsVisible(false);
        x->setGridLineVisible(false);
        if (!data_.days.isEmpty()) {
            const QString format = QStringLiteral("d MMM");
            chart->setTitle(QStringLiteral("Last 30 days, ") +
                            QLocale::c().toString(data_.days.first().day, format) +
                            QStringLiteral(" to ") +
                            QLocale::c().toString(data_.days.last().day, format));
        }
        auto* count = new QValueAxis;
        count->setRange(0, std::max(top, 1));
        count->setLabelFormat(QStringLiteral("%d"));
        count->setTitleText(QStringLiteral("answers"));
        auto* percent = new QValueAxis;
        percent->setRange(0, 100);
        percent->setLabelFormat(QStringLiteral("%d%%"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(count, Qt::AlignLeft);
        chart->addAxis(percent, Qt::AlignRight);
        bars->attachAxis(x);
        bars->attachAxis(count);
        share->attachAxis(x);
        share->attachAxis(percent);
    }

    ProgressActions* actions_;
    ProgressData data_;
    QChartView* byLength_;
    QChartView* byDay_;
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
