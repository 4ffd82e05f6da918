#pragma once

#include <QString>

#include <optional>

// The order in which study brings in new words. Shortest: every new word of a studied length
// before any of the next length (the two-letter words, the fewest and the most played, first);
// Mixed: each length as likely as its share of the new words.
enum class StudyOrder
{
    Shortest,
    Mixed
};

// The order's name in the settings file and on the drill's command line.
inline QString studyOrderName(StudyOrder order)
{
    return order == StudyOrder::Mixed ? QStringLiteral("mixed") : QStringLiteral("shortest");
}

// The order of a name, or nullopt when it names none.
inline std::optional<StudyOrder> studyOrderNamed(const QString& name)
{
    for (StudyOrder order : {StudyOrder::Shortest, StudyOrder::Mixed})
        if (name == studyOrderName(order))
            return order;
    return std::nullopt;
}
