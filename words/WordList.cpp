#include "words/WordList.h"

#include "base/PlainText.h"
#include "words/WordFolding.h"
#include "words/WordSchema.h"

namespace {

// Where the words of each length start in the table of first lines, indexed by length.
constexpr std::array<std::size_t, 6> FirstSlot{
    0, 0, 0, 26 * 26, 26 * 26 + 26 * 26 * 26, 26 * 26 + 26 * 26 * 26 + 26 * 26 * 26 * 26};

// Stands for bytes that are not text; it never occurs in UTF-8.
constexpr char Invalid = '\xFF';

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The allowed range of the second byte excludes overlong forms, surrogates and code
        // points past U+10FFFF.
        std::size_t extra = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c == 0xE0)
            extra = 2, low = 0xA0;
        else if (c == 0xED)
            extra = 2, high = 0x9F;
        else if (c >= 0xE1 && c <= 0xEF)
            extra = 2;
        else if (c == 0xF0)
            extra = 3, low = 0x90;
        else if (c >= 0xF1 && c <= 0xF3)
            extra = 3;
        else if (c == 0xF4)
            extra = 3, high = 0x8F;
        else
            return false;
        if (s.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(s[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += extra + 1;
    }
    return true;
}

} // namespace

WordList::WordList(RejectionHandler onRejected, Letters letters)
    : onRejected_(std::move(onRejected)), letters_(letters), firstLines_(FirstSlot[5] / BlockSize)
{}

bool WordList::feed(const char* data, std::size_t size)
{
    if (tooLong_)
        return false;
    if (!started_) {
        head_.append(data, size);
        if (head_.size() < 3)
            return true;
        started_ = true;
        const std::string head = std::move(head_);
        std::size_t skip = 0;
        if (head.compare(0, 3, "\xEF\xBB\xBF") == 0)
            skip = 3;
        else if (head.compare(0, 2, "\xFF\xFE") == 0)
            encoding_ = Encoding::Utf16LE, skip = 2;
        else if (head.compare(0, 2, "\xFE\xFF") == 0)
            encoding_ = Encoding::Utf16BE, skip = 2;
        return feed(head.data() + skip, head.size() - skip);
    }
    if (encoding_ == Encoding::Utf8)
        feedUtf8(data, size);
    else
        feedUtf16(data, size);
    return !tooLong_;
}

bool WordList::finish()
{
    if (!started_) {
        // Fewer than three bytes in all: too short for a byte-order mark worth looking for.
        started_ = true;
        const std::string head = std::move(head_);
        feedUtf8(head.data(), head.size());
    }
    if (tooLong_)
        return false;
    if (oddByte_ >= 0 || highSurrogate_ != 0) {
        decoded_ += Invalid;
        oddByte_ = -1;
        highSurrogate_ = 0;
        feedUtf8(decoded_.data(), decoded_.size());
        decoded_.clear();
    }
    if (!tooLong_ && !line_.empty()) {
        takeLine(line_);
        line_.clear();
    }
    return !tooLong_;
}

void WordList::feedUtf16(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = static_cast<unsigned char>(data[i]);
        if (oddByte_ < 0) {
            oddByte_ = byte;
            continue;
        }
        const char16_t unit = encoding_ == Encoding::Utf16LE ? char16_t(byte << 8 | oddByte_)
                                                             : char16_t(oddByte_ << 8 | byte);
        oddByte_ = -1;
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (highSurrogate_ != 0) {
            const char16_t first = highSurrogate_;
            highSurrogate_ = 0;
            if (low) {
                appendCodePoint(0x10000 + ((char32_t(first) - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            decoded_ += Invalid;
        }
        if (high)
            highSurrogate_ = unit;
        else if (low)
            decoded_ += Invalid;
        else
            appendCodePoint(unit);
    }
    feedUtf8(decoded_.data(), decoded_.size());
    decoded_.clear();
}

void WordList::appendCodePoint(char32_t c)
{
    if (c < 0x80) {
        decoded_ += char(c);
    } else if (c < 0x800) {
        decoded_ += char(0xC0 | (c >> 6));
        decoded_ += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        decoded_ += char(0xE0 | (c >> 12));
        decoded_ += char(0x80 | ((c >> 6) & 0x3F));
        decoded_ += char(0x80 | (c & 0x3F));
    } else {
        decoded_ += char(0xF0 | (c >> 18));
        decoded_ += char(0x80 | ((c >> 12) & 0x3F));
        decoded_ += char(0x80 | ((c >> 6) & 0x3F));
        decoded_ += char(0x80 | (c & 0x3F));
    }
}

void WordList::feedUtf8(const char* data, std::size_t size)
{
    const char* p = data;
    const char* const end = data + size;
    while (p < end && !tooLong_) {
        if (afterCR_) {
            afterCR_ = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        const char* q = p;
        while (q < end && *q != '\n' && *q != '\r')
            ++q;
        const std::size_t size = std::size_t(q - p);
        if (line_.size() + size > MaxLineBytes) {
            tooLong_ = true;
            ++lines_;
            line_.clear();
            return;
        }
        if (q == end) {
            line_.append(p, size); // the line goes on in the next piece
            return;
        }
        if (line_.empty()) {
            takeLine(std::string_view(p, size));
        } else {
            line_.append(p, size);
            takeLine(line_);
            line_.clear();
        }
        afterCR_ = *q == '\r';
        p = q + 1;
    }
}

void WordList::takeLine(std::string_view line)
{
    ++lines_;
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    if (line.empty() || line.front() == '#')
        return;

    // The word ends at the first blank; what follows is its meaning.
    std::string_view word = line;
    std::string_view meaning;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (isBlank(line[i])) {
            word = line.substr(0, i);
            meaning = line.substr(i + 1);
            while (!meaning.empty() && isBlank(meaning.front()))
                meaning.remove_prefix(1);
            break;
        }
    }

    bool ascii = true;
    bool letters = true;
    for (const char c : word) {
        ascii = ascii && (c & 0x80) == 0;
        const char upper = char(c & ~0x20);
        letters = letters && upper >= 'A' && upper <= 'Z';
    }
    if (!ascii && !isUtf8(word))
        return reject(line, Reason::InvalidText);
    // A rejected word is shown with its meaning, unless the meaning is no text.
    const std::string_view shown = meaning.empty() || isUtf8(meaning) ? line : word;
    if (!letters) {
        if (ascii || letters_ != Letters::Folded)
            return reject(shown, Reason::NotLetters);
        if (!foldWord(word, shown))
            return;
    }
    const int length = int(word.size());
    if (!WordSchema::isWordLength(length))
        return reject(shown, Reason::WrongLength);

    std::size_t index = 0;
    for (const char c : word)
        index = index * 26 + std::size_t((c & ~0x20) - 'A');
    const std::size_t slot = FirstSlot[std::size_t(length)] + index;
    std::int64_t& first = firstLine(slot);
    if (first != 0)
        return reject(shown, Reason::Duplicate, first);
    first = lines_;
    ++counts_[std::size_t(length)];
    if (!meaning.empty())
        keepMeaning(slot, meaning);
}

bool WordList::foldWord(std::string_view& word, std::string_view shown)
{
    const WordFolding::Outcome outcome = WordFolding::fold(word, folded_);
    if (outcome == WordFolding::Outcome::Folded) {
        word = folded_;
        return true;
    }
    reject(shown,
           outcome == WordFolding::Outcome::Unfoldable ? Reason::Unfoldable : Reason::NotLetters);
    return false;
}

void WordList::keepMeaning(std::size_t slot, std::string_view meaning)
{
    // fromUtf8 puts U+FFFD in place of bytes that are not UTF-8.
    QString text =
        PlainText::cleaned(QString::fromUtf8(meaning.data(), qsizetype(meaning.size()))).trimmed();
    if (text.isEmpty())
        return;
    if (text.size() > MaxMeaningChars) {
        text.truncate(MaxMeaningChars); // a surrogate pair cut in two is dropped with the blank
        const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
        text.truncate(blank > MaxMeaningChars / 2 ? blank : MaxMeaningChars - 1);
        while (!text.isEmpty() &&
               (text.back().isSpace() || text.back().isPunct() || text.back().isHighSurrogate()))
            text.chop(1);
        text += QChar(0x2026);
    }
    meanings_[slot] = text;
}

std::int64_t& WordList::firstLine(std::size_t slot)
{
    std::unique_ptr<std::int64_t[]>& block = firstLines_[slot / BlockSize];
    if (!block)
        block = std::make_unique<std::int64_t[]>(BlockSize);
    return block[slot % BlockSize];
}

void WordList::reject(std::string_view text, Reason reason, std::int64_t firstLine)
{
    const Rejection rejection{lines_, text, reason, firstLine};
    if (++rejected_[std::size_t(reason)] <= ExamplesPerReason)
        samples_.push_back({lines_, shownText(rejection), reason, firstLine});
    if (onRejected_)
        onRejected_(rejection);
}

std::int64_t WordList::count(int length) const
{
    return WordSchema::isWordLength(length) ? counts_[std::size_t(length)] : 0;
}

QString WordList::wordAt(std::size_t slot)
{
    int length = WordSchema::ShortestWord;
    while (slot >= FirstSlot[std::size_t(length) + 1])
        ++length;
    QString word(length, QLatin1Char('A'));
    for (std::size_t index = slot - FirstSlot[std::size_t(length)], i = std::size_t(length);
         i-- > 0; index /= 26)
        word[qsizetype(i)] = QLatin1Char(char('A' + index % 26));
    return word;
}

QStringList WordList::words() const
{
    QStringList words;
    for (std::size_t slot = 0; slot < FirstSlot[5]; ++slot) {
        const std::unique_ptr<std::int64_t[]>& block = firstLines_[slot / BlockSize];
        if (!block) {
            slot += BlockSize - 1;
            continue;
        }
        if (block[slot % BlockSize] != 0)
            words.append(wordAt(slot));
    }
    return words;
}

QHash<QString, QString> WordList::meanings() const
{
    QHash<QString, QString> byWord;
    byWord.reserve(qsizetype(meanings_.size()));
    for (const auto& [slot, meaning] : meanings_)
        byWord.insert(wordAt(slot), meaning);
    return byWord;
}

void WordList::addMeaningsFrom(const WordList& other)
{
    for (const auto& [slot, meaning] : other.meanings_) {
        const std::unique_ptr<std::int64_t[]>& block = firstLines_[slot / BlockSize];
        if (block && block[slot % BlockSize] != 0)
            meanings_.try_emplace(slot, meaning);
    }
}
