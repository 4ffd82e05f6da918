#pragma once

#include <QString>

#include <array>

enum class TestKind
{
    ValidWord,
    InvalidWord
};

// One row per question window: its name (error reports name it), the test it asks, the word
// length and the question text.
struct QuestionForm
{
    QString name;
    TestKind kind;
    int length;
    QString question;
};

namespace QuestionForms {
// Form2, Form3, Form7 (choose the valid word) and Form5, Form6, Form8 (choose the invalid word).
const std::array<QuestionForm, 6>& all();
const QuestionForm& find(TestKind kind, int length);
} // namespace QuestionForms
