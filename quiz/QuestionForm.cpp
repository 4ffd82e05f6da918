#include "quiz/QuestionForm.h"

#include <stdexcept>

const std::array<QuestionForm, 6>& QuestionForms::all()
{
    static const std::array<QuestionForm, 6> forms{{
        {QStringLiteral("Form2"), TestKind::ValidWord, 2,
         QStringLiteral("Choose the valid two letter word:")},
        {QStringLiteral("Form3"), TestKind::ValidWord, 3,
         QStringLiteral("Choose the valid three letter word:")},
        {QStringLiteral("Form7"), TestKind::ValidWord, 4,
         QStringLiteral("Choose the valid four letter word:")},
        {QStringLiteral("Form5"), TestKind::InvalidWord, 2,
         QStringLiteral("Choose the invalid two letter word:")},
        {QStringLiteral("Form6"), TestKind::InvalidWord, 3,
         QStringLiteral("Choose the invalid three letter word:")},
        {QStringLiteral("Form8"), TestKind::InvalidWord, 4,
         QStringLiteral("Choose the invalid four letter word:")},
    }};
    return forms;
}

const QuestionForm& QuestionForms::find(TestKind kind, int length)
{
    for (const QuestionForm& form : all()) {
        if (form.kind == kind && form.length == length)
            return form;
    }
    throw std::invalid_argument("no question window for that test");
}
