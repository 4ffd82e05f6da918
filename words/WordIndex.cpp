#include "words/WordIndex.h"

#include "base/PlainText.h"
#include "words/PatternCursor.h"
#include "words/WordSchema.h"

#include <algorithm>
#include <string>

namespace {

constexpr quint32 powerOf26(int n)
{
    quint32 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 26;
    return p;
}

// The anagram table's key: the length, and the code of the letters in alphabetical order.
quint32 lettersKey(std::string letters)
{
    std::sort(letters.begin(), letters.end());
    quint32 code = 0;
    for (char c : letters)
        code = code * 26 + quint32(c - 'A');
    return quint32(letters.size()) << 20 | code;
}

// Every way to add `blanks` letters to `letters`, each way once (the added letters in
// alphabetical order, from `from` on).
template <typename Visit>
void fillBlanks(std::string& letters, int blanks, char from, const Visit& visit)
{
    if (blanks == 0) {
        visit(letters);
        return;
    }
    for (char c = from; c <= 'Z'; ++c) {
        letters.push_back(c);
        fillBlanks(letters, blanks - 1, c, visit);
        letters.pop_back();
    }
}

} // namespace

WordIndex::WordIndex(const QStringList& words)
{
    for (int length = MinLength; length <= MaxLength; ++length)
        bits_[length].assign(powerOf26(length) / 64 + 1, 0);
    for (const QString& word : words) {
        const qint64 code = encode(word);
        if (code < 0 || word.size() < MinLength || word.size() > MaxLength)
            continue;
        const int length = int(word.size());
        if (has(length, quint32(code)))
            continue;
        insert(length, quint32(code));
        byLetters_[lettersKey(word.toStdString())].push_back(quint32(code));
    }
    // Words come in list order; anagrams are read in alphabetical order.
    for (std::vector<quint32>& codes : byLetters_)
        std::sort(codes.begin(), codes.end());
}

WordIndex WordIndex::fromFile(const QString& path, const std::atomic<bool>* cancelled)
{
    const WordSchema::ListText list = WordSchema::readList(path, cancelled);
    WordIndex index(list.words);
    index.addMeanings(list.meanings);
    return index;
}

void WordIndex::addMeanings(const QHash<QString, QString>& meanings)
{
    for (auto it = meanings.constBegin(); it != meanings.constEnd(); ++it) {
        const QString meaning = PlainText::cleaned(it.value()).trimmed();
        if (!meaning.isEmpty() && contains(it.key()))
            meanings_.insert(it.key(), meaning);
    }
}

int WordIndex::count(int length) const
{
    return length >= MinLength && length <= MaxLength ? counts_[length] : 0;
}

qint64 WordIndex::encode(const QString& word)
{
    qint64 code = 0;
    for (const QChar c : word) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return -1;
        code = code * 26 + (c.unicode() - 'A');
    }
    return word.isEmpty() ? -1 : code;
}

QString WordIndex::decode(quint32 code, int length)
{
    QString word(length, QLatin1Char('A'));
    for (int i = length - 1; i >= 0; --i, code /= 26)
        word[i] = QLatin1Char(char('A' + code % 26));
    return word;
}

bool WordIndex::has(int length, quint32 code) const
{
    const std::vector<std::uint64_t>& bits = bits_[length];
    return code / 64 < bits.size() && (bits[code / 64] >> (code % 64) & 1u) != 0;
}

void WordIndex::insert(int length, quint32 code)
{
    bits_[length][code / 64] |= std::uint64_t(1) << (code % 64);
    ++counts_[length];
}

bool WordIndex::contains(const QString& word) const
{
    const qint64 code = encode(word);
    return code >= 0 && word.size() >= MinLength && word.size() <= MaxLength &&
           has(int(word.size()), quint32(code));
}

WordIndex::Hooks WordIndex::hooks(const QString& word) const
{
    Hooks hooks;
    const qint64 code = encode(word);
    const int longer = int(word.size()) + 1;
    if (code < 0 || longer > MaxLength)
        return hooks;
    hooks.known = true;
    if (longer < MinLength)
        return hooks;
    const quint32 front = powerOf26(longer - 1);
    for (quint32 letter = 0; letter < 26; ++letter) {
        const QChar c(char16_t('A' + letter));
        if (has(longer, letter * front + quint32(code)))
            hooks.front.append({c, c + word});
        if (has(longer, quint32(code) * 26 + letter))
            hooks.back.append({c, word + c});
    }
    return hooks;
}

QStringList WordIndex::anagrams(const QString& letters, qsizetype limit, qsizetype* found) const
{
    if (found)
        *found = 0;
    if (letters.size() < MinLength || letters.size() > MaxLength)
        return {};
    std::string given;
    int blanks = 0;
    for (const QChar c : letters) {
        if (c == QLatin1Char('?'))
            ++blanks;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            given.push_back(char(c.unicode()));
        else
            return {};
    }
    if (given.empty()) {
        // Blanks only: every word of the length, as the pattern of blanks gives them.
        if (found)
            *found = count(int(letters.size()));
        return matches(letters).fetch(limit < 0 ? count(int(letters.size())) : int(limit));
    }
    std::vector<quint32> codes;
    fillBlanks(given, blanks, 'A', [&](const std::string& filled) {
        const auto it = byLetters_.constFind(lettersKey(filled));
        if (it != byLetters_.constEnd())
            codes.insert(codes.end(), it->begin(), it->end());
    });
    std::sort(codes.begin(), codes.end());
    if (found)
        *found = qsizetype(codes.size());
    const qsizetype count =
        limit < 0 ? qsizetype(codes.size()) : std::min(limit, qsizetype(codes.size()));
    QStringList words;
    words.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        words.append(decode(codes[size_t(i)], int(letters.size())));
    return words;
}

PatternCursor WordIndex::matches(const QString& pattern) const
{
    return PatternCursor(*this, pattern);
}

int WordIndex::countMatches(const QString& pattern) const
{
    return PatternCursor(*this, pattern).total();
}
