#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reads a plain word list piece by piece, as it arrives: one word a line, any letter case. Blank
// lines and lines starting with '#' are skipped and surrounding blanks are trimmed. Keeps the 2-,
// 3- and 4-letter words made only of the letters A to Z (lower case is accepted and upper-cased)
// and drops repeats. Read with Letters::Folded, letters with diacritics become A-Z first (see
// WordFolding.h): "été" is ETE.
//
// A word may be followed by its meaning, after a tab or a space: "AA rough, cindery lava". The
// meaning is kept with the word, trimmed, shortened to MaxMeaningChars characters, with any
// bytes that are not UTF-8 replaced by U+FFFD and every control character (PlainText.h) by a
// space: a damaged meaning costs the word nothing, and can't garble a terminal or a window.
//
// The text is UTF-8, with or without a byte-order mark, or UTF-16 (either byte order) when it
// starts with a byte-order mark. Lines end in LF, CR LF or CR alone.
//
// Memory does not grow with the list: the reader keeps one line at a time (refusing lines longer
// than MaxLineBytes), one entry for each possible word of 2 to 4 letters and the meanings of the
// words it keeps.
class WordList
{
public:
    enum class Encoding
    {
        Utf8,
        Utf16LE,
        Utf16BE
    };

    enum class Letters
    {
        AToZ,   // only A-Z (either case) make a word
        Folded, // letters with diacritics are folded to A-Z
    };

    enum class Reason
    {
        NotLetters,
        Unfoldable, // letters, folding asked for, but not all of them fold to A-Z
        WrongLength,
        Duplicate,
        InvalidText, // bytes that are not text in the list's encoding
    };
    static constexpr int ReasonCount = 5;
    // Rejected lines kept per reason, for the report (samples()).
    static constexpr int ExamplesPerReason = 5;

    // Longer lines mean the input is no word list: reading stops.
    static constexpr std::size_t MaxLineBytes = 4096;
    // A longer meaning is cut at a blank and ends in an ellipsis.
    static constexpr int MaxMeaningChars = 160;

    struct Rejection
    {
        std::int64_t line = 0; // counting from 1
        std::string_view text; // the line as trimmed, UTF-8 unless the reason is InvalidText
        Reason reason = Reason::NotLetters;
        std::int64_t firstLine = 0; // for a duplicate: where the word was kept
    };
    // Called for every rejected line, in the order of the list.
    using RejectionHandler = std::function<void(const Rejection&)>;
    // A rejected line as reports show it, its text printable (shownText).
    struct Sample
    {
        std::int64_t line = 0;
        QString text;
        Reason reason = Reason::NotLetters;
        std::int64_t firstLine = 0;
    };
    // Characters of a sample's text the report shows.
    static constexpr qsizetype MaxSampleChars = 60;

    explicit WordList(RejectionHandler onRejected = {}, Letters letters = Letters::AToZ);

    // Reads the next piece of the list. Returns false once a line was too long; the rest of the
    // input is then ignored.
    bool feed(const char* data, std::size_t size);
    // Reads what is left after the last piece: a last line without a line end.
    bool finish();

    bool lineTooLong() const { return tooLong_; }
    // The lines read so far; once a line was too long, that line's number.
    std::int64_t lines() const { return lines_; }
    Encoding encoding() const { return encoding_; }
    Letters letters() const { return letters_; }

    // How many words of that length (2, 3 or 4) were kept.
    std::int64_t count(int length) const;
    std::int64_t rejected(Reason reason) const { return rejected_[std::size_t(reason)]; }
    // The first ExamplesPerReason rejected lines of each reason, in the order of the list.
    const std::vector<Sample>& samples() const { return samples_; }
    // The kept words, upper case, by length and then in alphabetical order.
    QStringList words() const;
    // The meanings of the kept words that have one, by word.
    QHash<QString, QString> meanings() const;
    std::size_t meaningCount() const { return meanings_.size(); }
    // Gives each kept word that has no meaning yet the one the other list has for it.
    void addMeaningsFrom(const WordList& other);

    static QString describe(Reason reason, Encoding encoding);
    // "\"AA\": duplicate of line 1".
    static QString describe(const Sample& sample, Encoding encoding);
    // The rejected line's text: as it is, bytes that are not text as \xHH, control characters
    // (and any other character that prints nothing) as '?'.
    static QString shownText(const Rejection& rejection);
    // "two-letter", "three-letter" or "four-letter".
    static QString lengthName(int length);
    // The words kept per length and the lines rejected per reason, one a line, figures in the
    // locale's form: "2-letter words: 1,124", ..., "rejected lines: 3", "  duplicate: 3". With
    // Samples::Listed, the samples of each reason follow it: "    line 7: \"AA\" (first on line
    // 1)".
    enum class Samples
    {
        Left,
        Listed
    };
    QString report(const QLocale& locale = QLocale::c(), Samples samples = Samples::Left) const;
    // Why the words of that length can't make a database ("holds no two-letter words"), or "".
    QString refusal(int length, bool allowEmpty) const;

private:
    void feedUtf8(const char* data, std::size_t size);
    void feedUtf16(const char* data, std::size_t size);
    void appendCodePoint(char32_t c);
    void takeLine(std::string_view line);
    bool foldWord(std::string_view& word, std::string_view shown);
    void reject(std::string_view text, Reason reason, std::int64_t firstLine = 0);
    void keepMeaning(std::size_t slot, std::string_view meaning);
    static QString wordAt(std::size_t slot);

    RejectionHandler onRejected_;
    Letters letters_;
    Encoding encoding_ = Encoding::Utf8;
    bool started_ = false; // the byte-order mark was looked for
    std::string head_;     // the first bytes until then
    std::string line_;     // a line that continues in the next piece
    std::string decoded_;  // UTF-16 input as UTF-8
    std::string folded_;   // the word of the line, folded to A-Z
    bool afterCR_ = false; // a CR ended the last line: an LF right after it is part of it
    int oddByte_ = -1;     // UTF-16: the first byte of a code unit split between pieces
    char16_t highSurrogate_ = 0;
    bool tooLong_ = false;
    std::int64_t lines_ = 0;
    std::array<std::int64_t, 5> counts_{};
    std::array<std::int64_t, ReasonCount> rejected_{};
    std::vector<Sample> samples_;
    // The line where each possible word was first kept (0: not seen), two-letter words first, in
    // blocks of BlockSize words made when a word of the block first turns up.
    static constexpr std::size_t BlockSize = 26 * 26;
    std::int64_t& firstLine(std::size_t slot);
    std::vector<std::unique_ptr<std::int64_t[]>> firstLines_;
    std::unordered_map<std::size_t, QString> meanings_; // by slot
};
