// Feeds the cursor file decoder arbitrary bytes: it must either refuse them or give a picture with
// its hotspot inside it, and never take a file larger than the limit.

#include "base/look/HandCursor.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

// Qt looks for its image reader plugins through the application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<CursorPicture> picture = DecodeCursorFile(bytes);
    if (!picture)
        return 0;
    check(bytes.size() >= 14 && bytes.size() <= MaxCursorFileBytes);
    check(!picture->image.isNull());
    check(picture->image.rect().contains(picture->hotSpot));
    return 0;
}
