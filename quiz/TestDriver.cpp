#include "TestDriver.h"

#include <utility>

TestDriver::TestDriver(Session& session, std::function<QString()> countText)
    : session_(session), countText_(std::move(countText))
{
}

void TestDriver::run(const QString& handlerName, const QuestionForm& form)
{
    // Filled in with the question and results windows.
    Q_UNUSED(handlerName);
    Q_UNUSED(form);
}
