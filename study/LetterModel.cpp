#include "study/LetterModel.h"

#include <cmath>

namespace {

// Weights of the trigram, bigram and single-letter estimates, and the count added to each.
constexpr double TrigramWeight = 0.6;
constexpr double BigramWeight = 0.3;
constexpr double LetterWeight = 0.1;
constexpr double AddedCount = 0.1;

std::size_t symbol(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'A' && u <= u'Z' ? std::size_t(u - u'A') + 1 : 0;
}

} // namespace

LetterModel::LetterModel(const QStringList& words)
{
    constexpr std::size_t S = Symbols;
    std::vector<double> tri(S * S * S, 0.0), bi(S * S, 0.0), uni(S, 0.0);
    for (const QString& word : words) {
        std::size_t back2 = 0, back1 = 0;
        for (qsizetype i = 0; i <= word.size(); ++i) {
            const std::size_t next = i < word.size() ? symbol(word.at(i)) : 0;
            ++tri[(back2 * S + back1) * S + next];
            ++bi[back1 * S + next];
            ++uni[next];
            back2 = back1;
            back1 = next;
        }
    }
    auto total = [](const std::vector<double>& counts, std::size_t from) {
        double sum = 0;
        for (std::size_t i = from; i < from + S; ++i)
            sum += counts[i];
        return sum;
    };
    const double letters = total(uni, 0);
    logProbability_.resize(S * S * S);
    for (std::size_t h1 = 0; h1 < S; ++h1) {
        const double biContext = total(bi, h1 * S);
        for (std::size_t h2 = 0; h2 < S; ++h2) {
            const std::size_t context = (h2 * S + h1) * S;
            const double triContext = total(tri, context);
            for (std::size_t next = 0; next < S; ++next) {
                const double p =
                    TrigramWeight * (tri[context + next] + AddedCount) /
                        (triContext + S * AddedCount) +
                    BigramWeight * (bi[h1 * S + next] + AddedCount) / (biContext + S * AddedCount) +
                    LetterWeight * (uni[next] + AddedCount) / (letters + S * AddedCount);
                logProbability_[context + next] = float(std::log(p));
            }
        }
    }
}

double LetterModel::logScore(const QString& word) const
{
    constexpr std::size_t S = Symbols;
    double score = 0;
    std::size_t back2 = 0, back1 = 0;
    for (qsizetype i = 0; i <= word.size(); ++i) {
        const std::size_t next = i < word.size() ? symbol(word.at(i)) : 0;
        score += logProbability_[(back2 * S + back1) * S + next];
        back2 = back1;
        back1 = next;
    }
    return score;
}
