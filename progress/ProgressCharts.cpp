#include "progress/ProgressCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPercentBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor NewColour(170, 170, 170);
const QColor LearningColour(230, 160, 30);
const QColor KnownColour(0, 128, 0);
const QColor CountColour(70, 110, 190);
const QList<QColor> LengthColours{QColor(70, 110, 190), QColor(200, 110, 20), QColor(130, 60, 150)};

// Takes the chart's series and axes away, ready to be filled afresh.
void empty(QChart* chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis); // hands the axis back to us
        delete axis;
    }
}

// A count axis from 0 up to `top` or just above, in four steps of a round size (1, 2 or 5 times
// a power of ten), labelled in the one number format of the window.
QCategoryAxis* countAxis(int top)
{
    const double rough = std::max(1.0, std::ceil(top / 4.0));
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double times : {1.0, 2.0, 5.0, 10.0})
        if (times * power >= rough) {
            step = times * power;
            break;
        }
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(0, 4 * step);
    for (int i = 0; i <= 4; ++i)
        axis->append(ProgressData::number(qint64(i * step)), i * step);
    return axis;
}

// A share axis from 0 to 100 %, in four steps.
QValueAxis* percentAxis()
{
    auto* axis = new QValueAxis;
    axis->setRange(0, 100);
    axis->setTickCount(5);
    axis->setLabelFormat(QStringLiteral("%d %%"));
    return axis;
}

QBarSet* barSet(const QString& name, const QColor& colour, const QColor& label = Qt::black)
{
    auto* set = new QBarSet(name);
    set->setColor(colour);
    set->setBorderColor(colour);
    set->setLabelColor(label);
    return set;
}

// A line of one point is drawn as that point, and one of none gets no legend entry: the legend
// names only what the chart shows.
void showAsDrawn(QChart* chart, QLineSeries* line)
{
    line->setPointsVisible(line->count() == 1);
    line->setMarkerSize(10);
    for (QLegendMarker* marker : chart->legend()->markers(line))
        marker->setVisible(line->count() > 0);
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    if (!chart->axes(x->orientation()).contains(x))
        chart->addAxis(x, Qt::AlignBottom);
    if (!chart->axes().contains(y))
        chart->addAxis(y, y->property("right").toBool() ? Qt::AlignRight : Qt::AlignLeft);
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

// Days as bars 0, 1, 2...; each non-blank label stands under its bar.
QCategoryAxis* dayAxis(const QStringList& labels)
{
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(-0.5, qreal(labels.size()) - 0.5);
    for (qsizetype i = 0; i < labels.size(); ++i)
        if (!labels[i].trimmed().isEmpty())
            axis->append(labels[i], qreal(i));
    axis->setGridLineVisible(false);
    return axis;
}

QBarCategoryAxis* categoryAxis(const QStringList& categories)
{
    auto* axis = new QBarCategoryAxis;
    axis->append(categories);
    axis->setGridLineVisible(false);
    return axis;
}

// A share's label needs about an eighth of the bar's height: a set with a thinner part anywhere
// shows no labels, rather than labels drawn over each other (the text line gives every figure).
void hideCrowdedLabels(QPercentBarSeries* series, const QList<ProgressData::Length>& lengths)
{
    for (QBarSet* set : series->barSets()) {
        for (qsizetype i = 0; i < lengths.size(); ++i) {
            const ProgressData::Length& l = lengths[i];
            const qreal total = l.known + l.learning + l.newWords;
            if (total > 0 && set->at(i) > 0 && set->at(i) / total < 0.12)
                set->setLabelColor(Qt::transparent);
        }
    }
}
} // namespace

void ProgressCharts::fillShares(QChart* chart, const QList<ProgressData::Length>& lengths)
{
    empty(chart);
    auto* series = new QPercentBarSeries;
    QBarSet* known = barSet(QStringLiteral("Known"), KnownColour, Qt::white);
    QBarSet* learning = barSet(QStringLiteral("Learning"), LearningColour);
    QBarSet* fresh = barSet(QStringLiteral("New"), NewColour);
    QStringList categories;
    for (const ProgressData::Length& l : lengths) {
        categories.append(QStringLiteral("%1 letters<br>(%2)")
                              .arg(l.length)
                              .arg(ProgressData::number(l.known + l.learning + l.newWords)));
        *known << l.known;
        *learning << l.learning;
        *fresh << l.newWords;
    }
    series->append({known, learning, fresh});
    hideCrowdedLabels(series, lengths);
    series->setBarWidth(0.6);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value %"));
    attach(chart, series, categoryAxis(categories), percentAxis());
}

void ProgressCharts::fillKnown(QChart* chart, const ProgressData& data)
{
    empty(chart);
    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("d MMM"));
    x->setTickCount(5);
    const QDateTime from = data.knownFrom.startOfDay();
    int top = 0;
    qsizetype days = 1;
    QList<QLineSeries*> lines;
    for (const ProgressData::Known& k : data.known) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("%1 letters").arg(k.length));
        line->setColor(LengthColours.value(lines.size() % LengthColours.size()));
        for (qsizetype i = 0; i < k.counts.size(); ++i)
            line->append(qreal(from.addDays(i).toMSecsSinceEpoch()), k.counts[i]);
        top = std::max(top, k.counts.isEmpty() ? 0 : k.counts.last());
        days = std::max(days, k.counts.size());
        lines.append(line);
    }
    x->setRange(from, from.addDays(std::max<qsizetype>(days - 1, 1)));
    x->setTickCount(int(std::clamp<qsizetype>(days, 2, 5)));
    QValueAxis* y = countAxis(top);
    for (QLineSeries* line : lines) {
        attach(chart, line, x, y);
        showAsDrawn(chart, line);
    }
}

void ProgressCharts::fillDue(QChart* chart, const ProgressData& data)
{
    empty(chart);
    auto* series = new QBarSeries;
    QBarSet* due = barSet(QStringLiteral("Due"), CountColour);
    int top = 0;
    for (const int count : data.due) {
        *due << count;
        top = std::max(top, count);
    }
    series->append(due);
    series->setBarWidth(0.8);
    chart->legend()->setVisible(false);
    attach(chart, series, dayAxis(data.dueLabels), countAxis(top));
}

void ProgressCharts::fillDays(QChart* chart, const ProgressData& data)
{
    empty(chart);
    auto* bars = new QBarSeries;
    QBarSet* answers = barSet(QStringLiteral("Answers"), CountColour);
    auto* share = new QLineSeries;
    share->setName(QStringLiteral("Right %"));
    share->setColor(KnownColour);
    int top = 0;
    for (qsizetype i = 0; i < data.days.size(); ++i) {
        const ProgressData::Day& d = data.days[i];
        *answers << d.answers;
        top = std::max(top, d.answers);
        if (d.answers > 0)
            share->append(qreal(i), 100.0 * d.right / d.answers);
    }
    bars->append(answers);
    bars->setBarWidth(0.8);
    QCategoryAxis* x = dayAxis(data.dayLabels);
    QValueAxis* count = countAxis(top);
    count->setTitleText(QStringLiteral("answers"));
    QValueAxis* percent = percentAxis();
    percent->setProperty("right", true);
    attach(chart, bars, x, count);
    attach(chart, share, x, percent);
    showAsDrawn(chart, share);
}
