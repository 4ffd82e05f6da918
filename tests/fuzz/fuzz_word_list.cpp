// Feeds the word-list reader of lexitor-words arbitrary bytes, once whole and once in small
// pieces, as a pipe may deliver them, with letters A-Z only and with letters folded to A-Z: both
// readings must agree in every detail, every kept word must be storable, and a rejected line's text
// must be valid UTF-8 exactly when the reason is not invalid text.

#include "words/WordList.h"
#include "words/WordSchema.h"

#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Reading
{
    std::vector<std::string> rejections; // line, reason, first line and text of each
    QStringList words;
    std::int64_t lines = 0;
    bool tooLong = false;
    bool operator==(const Reading&) const = default;
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

Reading read(const std::uint8_t* data, std::size_t size, std::size_t firstPiece,
             WordList::Letters letters)
{
    Reading reading;
    const auto onRejected = [&](const WordList::Rejection& r) {
        const bool invalid = r.reason == WordList::Reason::InvalidText;
        const QByteArray bytes(r.text.data(), qsizetype(r.text.size()));
        // A byte-order mark inside the list is a character like any other.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        const QString text = decoder(bytes);
        check((!decoder.hasError() && text.toUtf8() == bytes) != invalid);
        check(r.line > 0 && r.line > r.firstLine && r.firstLine >= 0);
        reading.rejections.push_back(std::to_string(r.line) + ' ' + std::to_string(int(r.reason)) +
                                     ' ' + std::to_string(r.firstLine) + ' ' + std::string(r.text));
    };
    WordList list(onRejected, letters);
    const char* bytes = reinterpret_cast<const char*>(data);
    std::size_t piece = firstPiece;
    for (std::size_t at = 0; at < size && list.feed(bytes + at, std::min(piece, size - at));
         at += piece, piece = piece % 17 + 1) {
    }
    list.finish();
    reading.words = list.words();
    reading.lines = list.lines();
    reading.tooLong = list.lineTooLong();

    std::int64_t kept = 0;
    for (int length = WordSchema::ShortestWord; length <= WordSchema::LongestWord; ++length)
        kept += list.count(length);
    check(kept == reading.words.size());
    for (const QString& word : std::as_const(reading.words))
        check(WordSchema::isStorableWord(word));
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const WordList::Letters letters : {WordList::Letters::AToZ, WordList::Letters::Folded}) {
        const Reading whole = read(data, size, size == 0 ? 1 : size, letters);
        const Reading pieces = read(data, size, size % 13 + 1, letters);
        check(whole == pieces);
    }
    return 0;
}
