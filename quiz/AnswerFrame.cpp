#include "quiz/AnswerFrame.h"

#include "base/look/DesignUnits.h"
#include "base/look/PushButton.h"

namespace {

constexpr std::array<int, 4> ButtonTops{300, 810, 1320, 1830};

} // namespace

AnswerFrame::AnswerFrame(const QString& question, QWidget* window) : QGroupBox(question, window)
{
    setObjectName(QStringLiteral("Frame1"));
    setGeometry(Twips::rect(120, 120, 7800, 2415));
    for (int k = 1; k <= 4; ++k) {
        auto* b = new PushButton(QString(), this);
        b->setObjectName(QStringLiteral("PushButton%1").arg(k));
        b->setGeometry(Twips::rect(240, ButtonTops[std::size_t(k - 1)], 7320, 405));
        connect(b, &PushButton::clicked, this, [this, k] { emit chosen(k); });
        buttons_[std::size_t(k - 1)] = b;
    }
    for (int k = 1; k < 4; ++k)
        setTabOrder(button(k), button(k + 1));
}
